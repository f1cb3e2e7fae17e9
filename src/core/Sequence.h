#pragma once
// Timed sequences of attenuation values (a sweep from one value to another, or a
// list to hop through) and the clock that runs them: step n of the run starts at
// start + n * dwell, an absolute deadline, so a long run never drifts however
// long each Load takes. Shared by the command line and the instrument server.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

// The values from `from` to `to` in steps of `step` (a positive size; the
// direction follows from and to), both ends included when the step lands on
// `to`. nullopt when step is not positive or finite, or the run would have
// more than `maxPoints` values.
std::optional<std::vector<double>> SweepValues(double from, double to, double step,
                                               std::size_t maxPoints = 100000);

struct SequenceStep {
    std::size_t number = 0; // 0, 1, 2 ... over the whole run
    std::size_t index = 0;  // position in the values
    long cycle = 0;         // 0 for the first pass through the values
    double db = 0.0;
    std::chrono::steady_clock::time_point planned;
    std::chrono::steady_clock::time_point actual; // when the step was started
};

struct SequencePlan {
    std::vector<double> values;
    std::chrono::nanoseconds dwell{0};
    // Passes through the values; 0 runs until stopped.
    long repeat = 1;
};

enum class SequenceEnd { Completed, Stopped, Failed };

// Walks a plan one step at a time without waiting, for a caller that keeps its
// own clock (the instrument server runs its steps from an event loop). Step n
// is due at start + n * dwell, the same deadlines RunSequence waits for.
class SequenceCursor {
public:
    SequenceCursor(SequencePlan plan, std::chrono::steady_clock::time_point start);

    // True once every pass through the values was taken (never, for a plan
    // that repeats until stopped; at once for a plan without values).
    bool AtEnd() const;
    // The step under the cursor: number, index, cycle, value and its deadline.
    // Only while not AtEnd().
    const SequenceStep& Step() const { return step_; }
    void Advance();
    // When the run counts as done once AtEnd(): the last value has kept its dwell.
    std::chrono::steady_clock::time_point End() const;

private:
    void Place();

    SequencePlan plan_;
    std::chrono::steady_clock::time_point start_;
    SequenceStep step_;
};

// Runs `plan`: waits for each step's deadline, then calls `onStep`, which loads
// the value and returns false to end the run (a failed Load). `stop` is looked
// at while waiting and between steps: once set, the run ends after the step
// under way, with Stopped. The first step starts at once.
SequenceEnd RunSequence(const SequencePlan& plan, const std::atomic<bool>& stop,
                        const std::function<bool(const SequenceStep&)>& onStep);

// Waits until `deadline` on the steady clock: sleeps while it is far, then spins
// for the last stretch, which the system's sleep cannot hit to the microsecond.
// Returns early (false) when `stop` is set.
bool WaitUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop);
