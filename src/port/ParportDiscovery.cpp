#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include "port/PpdevPort.h"

namespace {

constexpr std::string_view kParportPrefix = "parport";

// The N of a directory called parportN, or -1 for any other name.
int ParportNumber(const std::string& name) {
    if (name.size() <= kParportPrefix.size() ||
        name.compare(0, kParportPrefix.size(), kParportPrefix) != 0) {
        return -1;
    }
    const std::string digits = name.substr(kParportPrefix.size());
    if (digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return -1;
    }
    return std::stoi(digits);
}

// base-addr holds the base address and, after a tab, the ECR base (-1 or missing
// when the port has none), both in decimal.
bool ReadBaseAddresses(const std::filesystem::path& file, ParportInfo& info) {
    std::ifstream in(file);
    constexpr long long highest = std::numeric_limits<int32_t>::max();
    long long base = 0;
    if (!(in >> base) || base <= 0 || base > highest) {
        return false;
    }
    long long ecr = -1;
    if (!(in >> ecr) || ecr <= 0 || ecr > highest) {
        ecr = -1;
    }
    info.base = static_cast<int32_t>(base);
    info.ecrBase = static_cast<int32_t>(ecr);
    return true;
}

} // namespace

std::vector<ParportInfo> DiscoverParports(const std::string& procRoot) {
    std::vector<ParportInfo> ports;
    std::error_code error;
    std::filesystem::directory_iterator it(procRoot, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::filesystem::path& dir = it->path();
        ParportInfo info{ParportNumber(dir.filename().string()), 0, -1};
        if (info.number >= 0 && ReadBaseAddresses(dir / "base-addr", info)) {
            ports.push_back(info);
        }
    }
    std::sort(ports.begin(), ports.end(),
              [](const ParportInfo& a, const ParportInfo& b) { return a.number < b.number; });
    return ports;
}
