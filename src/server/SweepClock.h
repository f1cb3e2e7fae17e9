#pragma once
// Runs a timed sequence from the server's event loop, one step per timer shot.
//
// Why the event loop and not a worker thread: every command line and every
// step then reaches the board from one thread, so a step can never fall in the
// middle of a client's transfer and the board session needs no lock. The cost
// is a short spin: the timer is armed for about a millisecond before each
// step's deadline (start + n * dwell, absolute, so the run never drifts; a
// late step moves the later deadlines, see core/Sequence.h) and
// the last stretch is waited out with the core's WaitUntil, which holds the
// loop for at most that millisecond. Clients are served between steps.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

#include "core/Sequence.h"

class SweepClock : public QObject {
    Q_OBJECT
public:
    using StepHandler = std::function<bool(const SequenceStep&)>;
    using EndHandler = std::function<void(SequenceEnd)>;

    // `stop` (a stop request from a signal) ends a wait early; may be nullptr.
    explicit SweepClock(const std::atomic<bool>* stop, QObject* parent = nullptr);

    // Starts `plan`: the first step runs before Start returns, the next ones
    // from the event loop. `onStep` loads a value and returns false to end the
    // run; `onEnd` is called once when the run ends (not for Abort).
    void Start(const SequencePlan& plan, StepHandler onStep, EndHandler onEnd);
    // Ends the run; no step is under way whenever the event loop runs this.
    void Abort();
    bool Running() const { return cursor_.has_value(); }
    // How late the steps of the run under way, or of the last run, were.
    const SequenceLateness& Lateness() const { return lateness_; }

private:
    void Fire();
    void Arm(std::chrono::steady_clock::time_point deadline);
    void Finish(SequenceEnd end);

    const std::atomic<bool>* stop_;
    std::atomic<bool> never_{false};
    QTimer timer_;
    std::optional<SequenceCursor> cursor_;
    SequenceLateness lateness_;
    StepHandler onStep_;
    EndHandler onEnd_;
};
