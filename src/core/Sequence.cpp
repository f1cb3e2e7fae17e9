#include "core/Sequence.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <utility>

namespace {

// How long before a deadline the wait stops sleeping and spins.
constexpr std::chrono::microseconds kSpinStretch{300};
// The longest single sleep, so that a stop request is seen promptly.
constexpr std::chrono::milliseconds kLongestSleep{20};
// A decimal step such as 0.1 does not add up exactly; a value this close to
// `to` still counts as reaching it.
constexpr double kRelativeSlack = 1e-9;
// The most a step may be late before the run slips.
constexpr std::chrono::microseconds kMostTolerance{500};

} // namespace

std::chrono::nanoseconds LatenessTolerance(std::chrono::nanoseconds dwell) {
    return std::min<std::chrono::nanoseconds>(dwell / 10, kMostTolerance);
}

std::optional<std::vector<double>> SweepValues(double from, double to, double step,
                                               std::size_t maxPoints) {
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(step) || step <= 0.0) {
        return std::nullopt;
    }
    const double span = std::abs(to - from);
    const double count = std::floor(span / step + kRelativeSlack) + 1.0;
    if (count > static_cast<double>(maxPoints)) {
        return std::nullopt;
    }
    const double direction = to >= from ? 1.0 : -1.0;
    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        // Each value from the start, not by adding steps up, so errors do not grow.
        double value = from + direction * step * static_cast<double>(i);
        if (std::abs(value - to) <= step * kRelativeSlack) {
            value = to;
        }
        values.push_back(value);
    }
    return values;
}

bool WaitUntil(std::chrono::steady_clock::time_point deadline, const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    for (;;) {
        if (stop.load()) {
            return false;
        }
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        if (left > kSpinStretch) {
            const auto sleep = std::min<Clock::duration>(left - kSpinStretch, kLongestSleep);
            std::this_thread::sleep_for(sleep);
        }
    }
}

SequenceCursor::SequenceCursor(SequencePlan plan, std::chrono::steady_clock::time_point start)
    : plan_(std::move(plan)), start_(start) {
    Place();
}

bool SequenceCursor::AtEnd() const {
    return plan_.values.empty() || (plan_.repeat != 0 && step_.cycle >= plan_.repeat);
}

void SequenceCursor::Started(std::chrono::steady_clock::time_point actual) {
    startedAt_ = actual;
    countedLate_ = false;
    overrun_ = std::chrono::nanoseconds(0);
    const auto late = actual - step_.planned;
    step_.late = std::max<std::chrono::nanoseconds>(late, std::chrono::nanoseconds(0));
    if (late <= LatenessTolerance(plan_.dwell)) {
        return;
    }
    countedLate_ = true;
    ++lateness_.lateSteps;
    lateness_.most = std::max<std::chrono::nanoseconds>(lateness_.most, late);
    lateness_.slip += late;
    start_ += late;
    step_.planned += late;
}

void SequenceCursor::Loaded(std::chrono::steady_clock::time_point done) {
    const std::chrono::nanoseconds took = done - startedAt_;
    if (!quickestLoad_ || took < *quickestLoad_) {
        quickestLoad_ = took;
    }
    const std::chrono::nanoseconds overrun = took - *quickestLoad_;
    if (overrun <= LatenessTolerance(plan_.dwell)) {
        return;
    }
    if (!countedLate_) {
        ++lateness_.lateSteps;
        countedLate_ = true;
    }
    overrun_ = overrun;
    step_.late += overrun;
    lateness_.most = std::max<std::chrono::nanoseconds>(lateness_.most, step_.late);
    lateness_.slip += overrun;
    start_ += overrun;
}

void SequenceCursor::Advance() {
    if (AtEnd()) {
        return;
    }
    ++step_.number;
    if (++step_.index == plan_.values.size()) {
        step_.index = 0;
        ++step_.cycle;
    }
    Place();
}

void SequenceCursor::Place() {
    if (!plan_.values.empty()) {
        step_.db = plan_.values[step_.index];
    }
    step_.planned = start_ + plan_.dwell * static_cast<long long>(step_.number);
    step_.latchedLateBefore = std::exchange(overrun_, std::chrono::nanoseconds(0));
}

std::chrono::steady_clock::time_point SequenceCursor::End() const {
    return start_ + plan_.dwell * static_cast<long long>(step_.number);
}

SequenceEnd RunSequence(const SequencePlan& plan, const std::atomic<bool>& stop,
                        const std::function<bool(SequenceStep&)>& onStep,
                        SequenceLateness* lateness) {
    if (plan.values.empty()) {
        return SequenceEnd::Completed;
    }
    SequenceCursor cursor(plan, std::chrono::steady_clock::now());
    const auto end = [&](SequenceEnd how) {
        if (lateness != nullptr) {
            *lateness = cursor.Lateness();
        }
        return how;
    };
    for (; !cursor.AtEnd(); cursor.Advance()) {
        if (!WaitUntil(cursor.Step().planned, stop)) {
            return end(SequenceEnd::Stopped);
        }
        const auto actual = std::chrono::steady_clock::now();
        cursor.Started(actual);
        SequenceStep step = cursor.Step();
        step.actual = actual;
        if (!onStep(step)) {
            return end(SequenceEnd::Failed);
        }
        cursor.Loaded(step.loaded.value_or(std::chrono::steady_clock::now()));
    }
    // The last value keeps its dwell before the run counts as done.
    return end(WaitUntil(cursor.End(), stop) ? SequenceEnd::Completed : SequenceEnd::Stopped);
}
