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
#include "GuestTools.h"

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

