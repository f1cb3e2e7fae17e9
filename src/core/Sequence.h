#pragma once
// Timed sequences of attenuation values (a sweep from one value to another, or a
// list to hop through) and the clock that runs them: step n of the run starts at
// start + n * dwell, an absolute deadline, so a long run never drifts however
// long each Load takes. A step that starts later than its deadline by more than
// the tolerance (a tenth of the dwell, at most 0.5 ms) moves every later
// deadline by its lateness: the run slips, and no step ever follows the one
// before sooner than the dwell less the tolerance. A Load that takes longer than
// the run's quickest Load by more than the tolerance (the process was stopped
// in the middle of it) latches late, and slips the run the same way, so that
// its value too keeps its dwell. Shared by the command line and the instrument
// server.

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
    // How much later than its deadline it started (before any slip it caused).
    std::chrono::nanoseconds late{0};
    // When the step's Load ended, set by a step handler that does more after
    // it (prints); unset, the handler's return counts as the end of the Load.
    std::optional<std::chrono::steady_clock::time_point> loaded;
    // How much later than usual the step before latched (its Load was stopped
    // in the middle), by which the run slipped before this step.
    std::chrono::nanoseconds latchedLateBefore{0};
};

struct SequencePlan {
    std::vector<double> values;
    std::chrono::nanoseconds dwell{0};
    // Passes through the values; 0 runs until stopped.
    long repeat = 1;
};

enum class SequenceEnd { Completed, Stopped, Failed };

// How late the steps of a run started, and how far its schedule slipped.
struct SequenceLateness {
    std::size_t lateSteps = 0;        // steps later than the tolerance
    std::chrono::nanoseconds most{0}; // the largest lateness of a late step
    std::chrono::nanoseconds slip{0}; // how far the last deadline moved
};

// How late a step may start before the run slips: a tenth of the dwell, at
// most 0.5 ms.
std::chrono::nanoseconds LatenessTolerance(std::chrono::nanoseconds dwell);

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
    // The step under the cursor started at `actual`: later than its deadline by
    // more than the tolerance, it counts as late and every later deadline moves
    // by its lateness.
    void Started(std::chrono::steady_clock::time_point actual);
    // The step's Load ended at `done`: a Load longer than the quickest of the
    // run by more than the tolerance latched late, and every later deadline
    // moves by the excess (the step counts as late once).
    void Loaded(std::chrono::steady_clock::time_point done);
    void Advance();
    const SequenceLateness& Lateness() const { return lateness_; }
    // When the run counts as done once AtEnd(): the last value has kept its dwell.
    std::chrono::steady_clock::time_point End() const;

private:
    void Place();

    SequencePlan plan_;
    std::chrono::steady_clock::time_point start_; // moved on by each slip
    SequenceStep step_;
    SequenceLateness lateness_;
    std::chrono::steady_clock::time_point startedAt_{};
    // The quickest Load of the run so far; none yet at first.
    std::optional<std::chrono::nanoseconds> quickestLoad_;
    bool countedLate_ = false;            // the step under the cursor counts as late already
    std::chrono::nanoseconds overrun_{0}; // how late the step under the cursor latched
};

// Runs `plan`: waits for each step's deadline, then calls `onStep`, which loads
// the value and returns false to end the run (a failed Load). `stop` is looked
// at while waiting and between steps: once set, the run ends after the step
// under way, with Stopped. The first step starts at once. `lateness`, when
// given, receives how late the steps were.
SequenceEnd RunSequence(const SequencePlan& plan, const std::atomic<bool>& stop,
                        const std::function<bool(SequenceStep&)>& onStep,
                        SequenceLateness* lateness = nullptr);

// Waits until `deadline` on the steady clock: sleeps while it is far, then spins
// for the last stretch, which the system's sleep cannot hit to the microsecond.
// Returns early (false) when `stop` is set.
bool WaitUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop);
