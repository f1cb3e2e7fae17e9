#pragma once
// Where dsactl writes: results on standard output (text or JSON, one document
// or one JSON object a line), failures and progress on standard error.

#include <QJsonObject>
#include <QString>

// A line of text on standard output.
void PrintLine(const QString& text);
// One compact JSON object and a newline on standard output, flushed at once so
// that a reading script sees each step as it happens.
void PrintJsonLine(const QJsonObject& object);
// Indented JSON on standard output, for one-shot listings.
void PrintJsonDocument(const QJsonObject& object);
// A line on standard error.
void PrintError(const QString& text);

// True when standard error is a terminal (progress lines go there only then).
bool ErrorIsTerminal();
// Rewrites the progress line on standard error: "\r" + text, cleared to the end.
void PrintProgress(const QString& text);
// Ends a progress line that was shown, so the next output starts on a new line.
void EndProgress();
