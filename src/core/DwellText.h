#pragma once
// How long each step of a timed sequence lasts, as a user writes it: "20ms",
// "0.5s", "250us", or a bare number of milliseconds ("20").

#include <QLocale>
#include <QString>
#include <chrono>
#include <optional>

// The duration `text` means (blanks around it ignored; the number read with a
// period or the locale's decimal separator). nullopt for anything else, for
// zero or negative durations and for more than a day.
std::optional<std::chrono::nanoseconds> ParseDwell(const QString& text,
                                                   const QLocale& locale = QLocale());
