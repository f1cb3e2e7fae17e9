#pragma once
// A message a peer can trigger (a refused connection), printed at most once a
// second however often it happens, so that a misbehaving script cannot fill a
// journal: the first at once, the ones after it within the second held back
// and counted, and their count printed with the last of them once the second
// is over.

#include <QString>
#include <QStringList>
#include <chrono>

class LogLimit {
public:
    using Clock = std::chrono::steady_clock;

    explicit LogLimit(Clock::duration interval = std::chrono::seconds(1));

    // The lines to print now for `message` happening at `now`: none while it is
    // held back.
    QStringList Offer(const QString& message, Clock::time_point now);
    // The line that reports what was held back, once the second is over; none
    // when nothing was held back or the second is not over yet.
    QStringList Flush(Clock::time_point now);
    // Whether lines are held back, waiting for a Flush.
    bool Holding() const { return held_ > 0; }

private:
    QString Summary() const;

    Clock::duration interval_;
    Clock::time_point quietUntil_{};
    bool started_ = false;
    long held_ = 0;
    QString lastHeld_;
};
