#include "server/LogLimit.h"

LogLimit::LogLimit(Clock::duration interval) : interval_(interval) {}

QStringList LogLimit::Offer(const QString& message, Clock::time_point now) {
    if (started_ && now < quietUntil_) {
        ++held_;
        lastHeld_ = message;
        return {};
    }
    QStringList lines = Flush(now);
    lines << message;
    started_ = true;
    quietUntil_ = now + interval_;
    return lines;
}

QStringList LogLimit::Flush(Clock::time_point now) {
    if (held_ == 0 || now < quietUntil_) {
        return {};
    }
    const QString line = Summary();
    held_ = 0;
    lastHeld_.clear();
    // The summary counts as the line of its second.
    quietUntil_ = now + interval_;
    return {line};
}

QString LogLimit::Summary() const {
    return QStringLiteral("%1 (%2 such lines held back in the last second)")
        .arg(lastHeld_)
        .arg(held_);
}
