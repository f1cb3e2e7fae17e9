#include "core/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr int kSignificantDigits = 15;

QLocale WithoutGroupSeparators(const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator |
                           QLocale::RejectGroupSeparator);
    return plain;
}

// The largest value of 15 significant digits below the largest double.
constexpr double kLargestRounded = 1.79769313486231e308;

// The value rounded to 15 significant digits. Its shortest round-trip text then
// has at most 15 digits, so sums such as 0.1 + 0.2 print as 0.3. Values next to
// the largest double would round up past it; they are rounded down instead.
double RoundToSignificantDigits(double value) {
    const double rounded = QString::number(value, 'g', kSignificantDigits).toDouble();
    return std::isfinite(rounded) ? rounded : std::copysign(kLargestRounded, value);
}

// Locales written right to left put a bidirectional mark before the sign
// ("\u061C-" in Arabic, "\u200E\u2212" in Persian), which QLocale writes but
// does not read back. The marks only steer the display and carry no meaning.
QString WithoutBidiMarks(const QString& text) {
    QString plain = text;
    plain.remove(QChar(0x061C)).remove(QChar(0x200E)).remove(QChar(0x200F));
    return plain;
}

} // namespace

QString NumberText(double value, const QLocale& locale) {
    if (!std::isfinite(value)) {
        return WithoutGroupSeparators(locale).toString(value);
    }
    double rounded = RoundToSignificantDigits(value);
    if (rounded == 0.0) {
        rounded = 0.0; // drops the sign of -0
    }
    return WithoutGroupSeparators(locale).toString(rounded, 'f', QLocale::FloatingPointShortest);
}

QString NumberTextSingle(float value, const QLocale& locale) {
    // The shortest text of the float has at most 9 digits; read as a double it
    // gives a value whose own shortest text is that same text.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    if (result.ec != std::errc()) {
        return NumberText(static_cast<double>(value), locale);
    }
    const QString shortest =
        QString::fromLatin1(buffer.data(), static_cast<qsizetype>(result.ptr - buffer.data()));
    bool ok = false;
    const double widened = QLocale::c().toDouble(shortest, &ok);
    return NumberText(ok ? widened : static_cast<double>(value), locale);
}

std::optional<double> ParseNumberText(const QString& text, const QLocale& locale) {
    const QString trimmed = WithoutBidiMarks(text).trimmed();
    bool ok = false;
    double value = WithoutGroupSeparators(locale).toDouble(trimmed, &ok);
    if (!ok) {
        value = WithoutGroupSeparators(QLocale::c()).toDouble(trimmed, &ok);
    }
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}
