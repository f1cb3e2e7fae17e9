// The form of a number in a reply.

#include "server/CommandCall.h"

#include <algorithm>
#include <charconv>
#include <cmath>

QByteArray NumberReply(double value) {
    if (!std::isfinite(value)) {
        return NumberText(value, QLocale::c()).toLatin1();
    }
    // As NumberText: rounded to 15 significant digits first, then the
    // shortest text that reads back as that, never with an exponent.
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    const std::to_chars_result rounded =
        std::to_chars(buffer, end, value, std::chars_format::general, 15);
    double shortest = value;
    if (rounded.ec != std::errc() ||
        std::from_chars(buffer, rounded.ptr, shortest).ec != std::errc()) {
        return NumberText(value, QLocale::c()).toLatin1();
    }
    if (shortest == 0.0) {
        shortest = 0.0; // drops the sign of -0
    }
    // The shortest form is plain decimals for the values replies hold; with an
    // exponent, NumberText writes the digits out (the library's fixed form
    // would write the binary value's exact digits instead).
    const std::to_chars_result text = std::to_chars(buffer, end, shortest);
    if (text.ec != std::errc() || std::find(buffer, text.ptr, 'e') != text.ptr) {
        return NumberText(value, QLocale::c()).toLatin1();
    }
    return QByteArray(buffer, text.ptr - buffer);
}
