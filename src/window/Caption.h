#pragma once
// Label captions as the window design writes them. A caption may hold "&&" for a
// literal ampersand (a single "&" marks an access key and is not shown) and CR LF
// for a line break. The label keeps the caption exactly as set, so that handlers
// can read back what they wrote.

#include <QString>

class QLabel;

// The text a label shows for `caption`: "&&" becomes "&", a single "&" in front
// of another character is dropped, and CR LF (or a lone CR) becomes a line break.
QString CaptionDisplayText(const QString& caption);

// Sets the caption of `label` and shows it as plain text. A label marked as sized
// to its text (MarkSizedToText) then takes the size its new text needs.
void SetCaption(QLabel* label, const QString& caption);

// The caption last set with SetCaption; the label's text if none was set.
QString Caption(const QLabel* label);

// True when a step button's caption counts as on: it equals "ON" without regard
// to case ("On" does, "Off" and "On " do not).
bool CaptionCountsAsOn(const QString& caption);

// From now on SetCaption resizes `label` to fit its text. The size the label has
// now is kept until the next SetCaption.
void MarkSizedToText(QLabel* label);
