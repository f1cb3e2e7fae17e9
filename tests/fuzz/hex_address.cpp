// The port address as typed: the bytes as UTF-8 text, against a plain reading
// of the same rule (hexadecimal digits only, blanks around, 32 bits).

#include <QString>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/HexAddress.h"

namespace {

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

std::optional<int32_t> Reference(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    uint64_t value = 0;
    for (const QChar c : digits) {
        const int digit = HexValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<int32_t> parsed = ParseHexAddress(text);
    const std::optional<int32_t> expected = Reference(text);
    FUZZ_CHECK(parsed == expected,
               QStringLiteral("\"%1\" gave %2, expected %3")
                   .arg(fuzz::Escaped(text),
                        parsed ? QString::number(*parsed, 16) : QStringLiteral("nothing"),
                        expected ? QString::number(*expected, 16) : QStringLiteral("nothing")));
    return 0;
}
