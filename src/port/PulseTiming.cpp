// The busy-wait that holds a pulse on the data lines for its minimum width.

#include "port/PulseTiming.h"

bool HoldPulseFrom(std::chrono::steady_clock::time_point since, std::chrono::nanoseconds duration) {
    // Each pass asks the clock again, so an optimising compiler cannot drop the wait.
    bool waited = false;
    while (std::chrono::steady_clock::now() - since < duration) {
        waited = true;
    }
    return waited;
}

void HoldPulse(std::chrono::nanoseconds duration) {
    HoldPulseFrom(std::chrono::steady_clock::now(), duration);
}
