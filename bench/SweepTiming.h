#pragma once
// How far after its deadline each step of a timed sequence starts, when every
// step loads the simulated board as dsactl sweep does.

#include <chrono>
#include <cstddef>

struct StartErrors {
    std::size_t steps = 0;
    double medianUs = 0.0;
    double p99Us = 0.0;
    double worstUs = 0.0;
    // The last step's start against the first step's plus (steps - 1) dwells:
    // what a sweep that drifted would show.
    double lastStepUs = 0.0;
};

StartErrors MeasureSweep(std::chrono::nanoseconds dwell, std::size_t steps);
