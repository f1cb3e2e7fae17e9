#pragma once
// What the board behind the emulated FT232H latched: the bytes the gadget
// drove on its pins, fed to the board's logic, and the text helpers the FTDI
// guest checks share for dsactl's JSON lines.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "port/SimulatedBoard.h"

#include "GadgetControl.h"

// The words latched on LE line `le`, in order, by the transfers given.
inline std::vector<unsigned> LatchedWords(const std::vector<GadgetTransfer>& transfers, int le) {
    BoardDecoder board;
    std::vector<unsigned> words;
    int loads = 0;
    for (const GadgetTransfer& transfer : transfers) {
        for (uint8_t byte : transfer.bytes) {
            board.Feed(byte);
            if (board.SerialDevice(le).loads != loads) {
                loads = board.SerialDevice(le).loads;
                words.push_back(board.SerialDevice(le).value);
            }
        }
    }
    return words;
}

inline std::string WordList(const std::vector<unsigned>& words) {
    std::string text;
    for (unsigned word : words) {
        text += (text.empty() ? "" : ",") + std::to_string(word);
    }
    return "[" + text + "]";
}

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

inline std::string JsonText(const std::string& line, const std::string& key) {
    const std::string name = "\"" + key + "\":\"";
    const auto at = line.find(name);
    if (at == std::string::npos) {
        return {};
    }
    const auto start = at + name.size();
    return line.substr(start, line.find('"', start) - start);
}
