// Number text written and read back: the first byte picks a locale, the next
// eight are a double whose text must read back as that value to 15 significant
// digits; every byte is also read as typed text, which must never give an
// infinity or NaN.

#include <QLocale>
#include <QString>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "core/NumberText.h"

namespace {

// Locales whose numbers differ in separator, digits, sign or bidirectional marks.
const std::array<QLocale, 8>& Locales() {
    static const std::array<QLocale, 8> locales = {
        QLocale::c(),
        QLocale(QStringLiteral("en_US")),
        QLocale(QStringLiteral("de_DE")),
        QLocale(QStringLiteral("fr_FR")),
        QLocale(QStringLiteral("ar_EG")),
        QLocale(QStringLiteral("fa_IR")),
        QLocale(QStringLiteral("he_IL")),
        QLocale(QStringLiteral("bn_BD")),
    };
    return locales;
}

QString Describe(double value, const QLocale& locale, const QString& text) {
    return QStringLiteral("value %1 in %2 gave \"%3\"")
        .arg(QString::number(value, 'g', 17), locale.name(), fuzz::Escaped(text));
}

void CheckRoundTrip(double value, const QLocale& locale) {
    const QString text = NumberText(value, locale);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(!ParseNumberText(text, locale).has_value(), Describe(value, locale, text));
        return;
    }
    const std::optional<double> back = ParseNumberText(text, locale);
    FUZZ_CHECK(back.has_value(), Describe(value, locale, text));
    // 15 significant digits: off by half a unit of the 15th digit at most.
    FUZZ_CHECK(std::fabs(*back - value) <= std::fabs(value) * 1e-14,
               Describe(value, locale, text) +
                   QStringLiteral(", read back as %1").arg(QString::number(*back, 'g', 17)));
    FUZZ_CHECK(*back != 0.0 || !std::signbit(*back), Describe(value, locale, text));
    // The text of what was read back is the same text: nothing drifts on a
    // second write.
    FUZZ_CHECK(NumberText(*back, locale) == text, Describe(value, locale, text));
    // The single-precision form reads back as the float it was written from.
    const float single = static_cast<float>(value);
    if (std::isfinite(single)) {
        const QString singleText = NumberTextSingle(single, locale);
        const std::optional<double> singleBack = ParseNumberText(singleText, locale);
        FUZZ_CHECK(singleBack.has_value() && static_cast<float>(*singleBack) == single,
                   Describe(static_cast<double>(single), locale, singleText));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const QLocale& locale = Locales()[data[0] % Locales().size()];
    if (size >= 9) {
        double value = 0.0;
        std::memcpy(&value, data + 1, sizeof value);
        CheckRoundTrip(value, locale);
    }
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1,
                                            static_cast<qsizetype>(size - 1));
    const std::optional<double> read = ParseNumberText(typed, locale);
    FUZZ_CHECK(!read || std::isfinite(*read), fuzz::Escaped(typed));
    return 0;
}
