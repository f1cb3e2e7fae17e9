#include "port/PulseTiming.h"

void HoldPulse(std::chrono::nanoseconds duration) {
    // Each pass asks the clock again, so an optimising compiler cannot drop the wait.
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < duration) {
    }
}
