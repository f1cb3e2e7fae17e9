#pragma once
// Minimum widths of the pulses the transfers put on the data lines. A port path
// that is much faster than a printer-port register access leaves too little
// time between edges for the board's logic, so each pulse is held for at least
// this long on the steady clock.

#include <chrono>

// Serial clock high, between the rising and the falling clock write.
constexpr std::chrono::nanoseconds kClockHighHold = std::chrono::microseconds(2);
// Serial LE line high, before the write that lowers it.
constexpr std::chrono::nanoseconds kLeHighHold = std::chrono::microseconds(2);
// Parallel latch line D6 high.
constexpr std::chrono::nanoseconds kLatchHighHold = std::chrono::microseconds(5);

// Busy-waits for at least `duration`. The transfers run without yielding, and a
// sleep would be far coarser than the microseconds needed here.
void HoldPulse(std::chrono::nanoseconds duration);
