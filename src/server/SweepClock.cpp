#include "server/SweepClock.h"

#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// The timer is aimed this far ahead of a deadline; WaitUntil covers the rest.
constexpr std::chrono::milliseconds kSpinMargin{1};

} // namespace

SweepClock::SweepClock(const std::atomic<bool>* stop, QObject* parent)
    : QObject(parent), stop_(stop != nullptr ? stop : &never_) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SweepClock::Fire);
}

void SweepClock::Start(const SequencePlan& plan, StepHandler onStep, EndHandler onEnd) {
    Abort();
    onStep_ = std::move(onStep);
    onEnd_ = std::move(onEnd);
    cursor_.emplace(plan, Clock::now());
    lateness_ = {};
    Fire();
}

void SweepClock::Abort() {
    timer_.stop();
    cursor_.reset();
}

void SweepClock::Fire() {
    if (!cursor_) {
        return;
    }
    const bool last = cursor_->AtEnd();
    const Clock::time_point deadline = last ? cursor_->End() : cursor_->Step().planned;
    if (deadline - Clock::now() > 2 * kSpinMargin) {
        Arm(deadline); // woken early
        return;
    }
    if (!WaitUntil(deadline, *stop_)) {
        Finish(SequenceEnd::Stopped);
        return;
    }
    if (last) {
        Finish(SequenceEnd::Completed);
        return;
    }
    const Clock::time_point actual = Clock::now();
    cursor_->Started(actual);
    lateness_ = cursor_->Lateness();
    SequenceStep step = cursor_->Step();
    step.actual = actual;
    if (!onStep_(step)) {
        Finish(SequenceEnd::Failed);
        return;
    }
    if (!cursor_) {
        return; // the step handler aborted the run
    }
    cursor_->Loaded(Clock::now());
    lateness_ = cursor_->Lateness();
    cursor_->Advance();
    Arm(cursor_->AtEnd() ? cursor_->End() : cursor_->Step().planned);
}

void SweepClock::Arm(Clock::time_point deadline) {
    const auto early = deadline - kSpinMargin - Clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(early);
    timer_.start(std::max(ms, std::chrono::milliseconds(0)));
}

void SweepClock::Finish(SequenceEnd end) {
    timer_.stop();
    cursor_.reset();
    EndHandler onEnd = std::move(onEnd_);
    onStep_ = nullptr;
    if (onEnd) {
        onEnd(end);
    }
}
