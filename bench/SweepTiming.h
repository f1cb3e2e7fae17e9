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
    // The last step's start against its deadline, the first step's plus
    // (steps - 1) dwells plus the slips before it: what a sweep that drifted
    // would show.
    double lastStepUs = 0.0;
    // Steps late by more than the tolerance, and how far they moved the run.
    std::size_t lateSteps = 0;
    double slipUs = 0.0;
};

// Two CPU-bound processes of the benchmark's own beside the sweep, for as long
// as this lives; they run at normal priority whatever the benchmark's is.
class BusyMachine {
public:
    BusyMachine();
    ~BusyMachine();
    BusyMachine(const BusyMachine&) = delete;
    BusyMachine& operator=(const BusyMachine&) = delete;

private:
    int children_[2] = {-1, -1};
};

// Start errors count from each step's own deadline, before a late step moved
// the later ones; `lastStepUs` is the drift with the slip taken out.
StartErrors MeasureSweep(std::chrono::nanoseconds dwell, std::size_t steps);
