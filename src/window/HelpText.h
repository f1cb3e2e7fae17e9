#pragma once
// The fixed operating instructions shown in the help window.

#include <QString>

// The 22 lines of instructions, each ended by CR LF; the text starts with an
// empty line. Blanks inside and around the lines are part of the text.
const QString& HelpText();
