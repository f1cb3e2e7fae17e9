#pragma once
// The states of the data lines a transfer goes through, in order: what every
// backend puts on the lines for a control word, whether it writes them one
// register access at a time or hands them to a USB adapter in one batch.

#include <cstdint>
#include <vector>

struct TransferLines {
    // Up to the latch pulse. Serial: three states per step, data, data with
    // the clock, data again, for steps 5 down to 0. Parallel: the word's lines.
    std::vector<uint8_t> body;
    // The latch pulse: the line raised, then lowered. Sent only when every
    // state of the body read back as written.
    std::vector<uint8_t> latch;
};

// The serial transfer of `word` (bit i is step i) latched through LE line
// `le` (1 to 6); empty for any other line.
TransferLines SerialTransferLines(uint8_t word, int le);

// The parallel transfer of `word`: its lines (steps 0 to 5 on D0 to D5, step 6
// on D7), then the latch pulse on D6.
TransferLines ParallelTransferLines(uint8_t word);

// Clock and data states per step in a serial body.
constexpr std::size_t kSerialStatesPerStep = 3;
