#include "port/Transfers.h"

#include <algorithm>
#include <cctype>

bool CaptionCountsAsOn(std::string_view caption) {
    constexpr std::string_view on = "ON";
    return std::equal(caption.begin(), caption.end(), on.begin(), on.end(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
    });
}
