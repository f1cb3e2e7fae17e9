#pragma once
// How the board is wired to the port's data lines D0 to D7, the one place that
// says it: the serial clock on D0 and data on D1, LE1 to LE6 on D2 to D7; for a
// parallel device steps 0 to 5 on D0 to D5, step 6 on D7, and its latch on D6
// (which is LE5's line too).

#include <cstdint>

namespace pins {

constexpr uint8_t kClock = 1u << 0; // D0
constexpr uint8_t kData = 1u << 1;  // D1
constexpr int kLeCount = 6;
// Bit number of LE line `le` (1 to 6): D2 to D7.
constexpr int LeBit(int le) {
    return le + 1;
}
constexpr uint8_t LeLine(int le) {
    return static_cast<uint8_t>(1u << LeBit(le));
}
constexpr int kLatchBit = 6; // D6
constexpr uint8_t kLatch = 1u << kLatchBit;
// The serial devices take six steps, 5 down to 0; step 6 is never sent.
constexpr int kSerialSteps = 6;
constexpr uint8_t kSerialStepsMask = (1u << kSerialSteps) - 1u;

// The parallel data lines of a word whose bit i is step i, and back.
constexpr uint8_t ParallelLinesOfSteps(uint8_t steps) {
    return static_cast<uint8_t>((steps & kSerialStepsMask) | ((steps & 0x40u) != 0 ? 0x80u : 0u));
}
constexpr uint8_t StepsOfParallelLines(uint8_t lines) {
    return static_cast<uint8_t>((lines & kSerialStepsMask) | ((lines & 0x80u) != 0 ? 0x40u : 0u));
}

static_assert(LeLine(1) == 4 && LeLine(6) == 128 && LeLine(5) == kLatch);
static_assert(ParallelLinesOfSteps(0x7F) == 0xBF && StepsOfParallelLines(0xBF) == 0x7F);

} // namespace pins
