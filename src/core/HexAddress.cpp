#include "core/HexAddress.h"

#include <algorithm>

namespace {

constexpr qsizetype kMaxSignificantDigits = 8;

bool IsHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

} // namespace

std::optional<int32_t> ParseHexAddress(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), IsHexDigit)) {
        return std::nullopt;
    }
    qsizetype firstSignificant = 0;
    while (firstSignificant < digits.size() - 1 && digits.at(firstSignificant) == u'0') {
        ++firstSignificant;
    }
    if (digits.size() - firstSignificant > kMaxSignificantDigits) {
        return std::nullopt;
    }
    bool ok = false;
    const uint value = digits.mid(firstSignificant).toUInt(&ok, 16);
    if (!ok) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

QString HexAddressText(int32_t address) {
    return QString::number(static_cast<uint32_t>(address), 16).toUpper();
}
