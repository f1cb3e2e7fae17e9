#pragma once
// dsactl's entry point: finds the subcommand, wherever the shared options
// stand, runs it and turns a failure into one line on standard error and the
// exit status.

#include <QStringList>

// `arguments` as QCoreApplication::arguments() gives them (the program first).
int RunDsactl(const QStringList& arguments);
