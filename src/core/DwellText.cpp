// Step durations of timed sequences, read from text.
#include "core/DwellText.h"

#include <cmath>
#include <utility>

#include "core/NumberText.h"

std::optional<std::chrono::nanoseconds> ParseDwell(const QString& text, const QLocale& locale) {
    QString number = text.trimmed();
    double nanosecondsPerUnit = 1e6; // bare numbers are milliseconds
    const std::pair<const char*, double> units[] = {
        {"ms", 1e6}, {"us", 1e3}, {"s", 1e9}}; // "ms" and "us" before "s"
    for (const auto& [suffix, scale] : units) {
        if (number.endsWith(QLatin1String(suffix), Qt::CaseInsensitive)) {
            number.chop(static_cast<qsizetype>(qstrlen(suffix)));
            nanosecondsPerUnit = scale;
            break;
        }
    }
    number = number.trimmed(); // "20 ms" as well as "20ms"
    if (number.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<double> value = ParseNumberText(number, locale);
    constexpr double kOneDayNs = 86400e9;
    if (!value || *value <= 0.0 || *value * nanosecondsPerUnit > kOneDayNs) {
        return std::nullopt;
    }
    const double nanoseconds = std::round(*value * nanosecondsPerUnit);
    if (nanoseconds < 1.0) {
        return std::nullopt;
    }
    return std::chrono::nanoseconds(static_cast<long long>(nanoseconds));
}
