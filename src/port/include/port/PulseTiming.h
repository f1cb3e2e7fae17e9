#pragma once
// Minimum widths of the pulses the transfers put on the data lines. A port path
// that is much faster than a printer-port register access leaves too little
// time between edges for the board's logic, so each pulse is held for at least
// this long on the steady clock, counted from the write that raised the line.

#include <chrono>

// Serial clock high, between the rising and the falling clock write.
constexpr std::chrono::nanoseconds kClockHighHold = std::chrono::microseconds(2);
// Serial LE line high, before the write that lowers it.
constexpr std::chrono::nanoseconds kLeHighHold = std::chrono::microseconds(2);
// Parallel latch line D6 high.
constexpr std::chrono::nanoseconds kLatchHighHold = std::chrono::microseconds(5);

// Busy-waits until `duration` has passed since `since` (the moment the write
// that raised the line was done). Where the write's read-back already took that
// long, it returns at once. True when it had to wait. The transfers run without
// yielding, and a sleep would be far coarser than the microseconds needed here.
bool HoldPulseFrom(std::chrono::steady_clock::time_point since, std::chrono::nanoseconds duration);

// Busy-waits for at least `duration` from now.
void HoldPulse(std::chrono::nanoseconds duration);
