// The line states of the serial and the parallel transfer.

#include "port/TransferLines.h"

#include "port/PinMap.h"

TransferLines SerialTransferLines(uint8_t word, int le) {
    TransferLines lines;
    if (le < 1 || le > pins::kLeCount) {
        return lines;
    }
    // The device takes the most significant step first; each bit is put on
    // the data line and clocked in: d, d + clock, d.
    uint8_t data = 0;
    for (int step = pins::kSerialSteps; step-- > 0;) {
        data = (word & (1u << step)) != 0 ? pins::kData : 0;
        lines.body.push_back(data);
        lines.body.push_back(static_cast<uint8_t>(data | pins::kClock));
        lines.body.push_back(data);
    }
    // LE rises with the last data bit held and the clock low; all lines low
    // ends the pulse.
    lines.latch = {static_cast<uint8_t>(data | pins::LeLine(le)), 0};
    return lines;
}

TransferLines ParallelTransferLines(uint8_t word) {
    // D6 is the latch line, never part of the word.
    const auto data = static_cast<uint8_t>(pins::ParallelLinesOfSteps(word) & ~pins::kLatch);
    return {{data}, {static_cast<uint8_t>(data | pins::kLatch), data}};
}
