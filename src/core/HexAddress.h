#pragma once
// The printer-port address as the user types it: hexadecimal digits only.

#include <QString>
#include <cstdint>
#include <optional>

// Reads `text` (blanks around it ignored) as hexadecimal digits 0-9, A-F in
// either case: no sign, no "0x" prefix, no blanks inside. The value must fit in
// 32 bits; the result is that bit pattern as a signed value, so 8000..FFFF give
// 32768..65535 and 80000000..FFFFFFFF give negative numbers (no port). nullopt
// for empty or invalid text.
std::optional<int32_t> ParseHexAddress(const QString& text);

// An address as the program shows it: the 32-bit pattern in upper-case
// hexadecimal digits, no prefix, no leading zeros ("378", "FFFFFFFF").
QString HexAddressText(int32_t address);
