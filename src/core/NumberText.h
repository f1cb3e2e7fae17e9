#pragma once
// Numbers shown in labels: written as the shortest general decimal text and read
// back with the user's number rules.

#include <QLocale>
#include <QString>
#include <optional>

// Shortest decimal text of `value` with at most 15 significant digits: no
// exponent, no trailing zeros or separator, a leading minus for negatives,
// "0" for zero (never "-0"), the locale's decimal separator and no group
// separators. Examples: "0", "-0.5", "-7", "-31.75"; "-0,5" in a German locale.
QString NumberText(double value, const QLocale& locale = QLocale());

// The shortest text that identifies a single-precision value, in the same form
// (-7.5f gives "-7.5", not the digits of its double widening).
QString NumberTextSingle(float value, const QLocale& locale = QLocale());

// Reads a text written by NumberText back, ignoring blanks around it. The
// locale's form is tried first, then the C form, so "0" or "-7" always parse.
// nullopt for anything else, including infinities and NaN.
std::optional<double> ParseNumberText(const QString& text, const QLocale& locale = QLocale());
