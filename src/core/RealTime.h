#pragma once
// Real-time scheduling for a timed run (--realtime): SCHED_FIFO at a modest
// priority, so that a busy machine does not make steps late, and the
// process's memory locked, so that no step waits for a page to come back.
// Either may be refused; the run then goes on as before.

struct RealTimeResult {
    bool scheduling = false; // SCHED_FIFO (or it was so already)
    bool memoryLocked = false;
};

// The priority asked for: modest, below the kernel's own threads (50).
constexpr int kRealTimePriority = 10;

RealTimeResult EnterRealTime();
