#pragma once
// Small pieces every guest check program needs: reading values out of
// dsactl's compact JSON lines, and starting a program in a forked child.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

// The value of "key" in a line of dsactl's compact JSON.
inline std::optional<long long> JsonNumber(const std::string& line, const std::string& key) {
    const std::string name = "\"" + key + "\":";
    const auto at = line.find(name);
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const char* start = line.c_str() + at + name.size();
    char* end = nullptr;
    const long long value = std::strtoll(start, &end, 10);
    return end == start ? std::nullopt : std::optional<long long>(value);
}

// The text of "key" in a line of dsactl's compact JSON; empty when it is not there.
inline std::string JsonText(const std::string& line, const std::string& key) {
    const std::string name = "\"" + key + "\":\"";
    const auto at = line.find(name);
    if (at == std::string::npos) {
        return {};
    }
    const auto start = at + name.size();
    return line.substr(start, line.find('"', start) - start);
}

// In a forked child: runs `arguments` (the program's path first), or says
// why it cannot and ends the child with status 127.
[[noreturn]] inline void ExecInChild(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    std::fprintf(stderr, "cannot run %s: %s", argv[0], std::strerror(errno));
    ::_exit(127);
}
