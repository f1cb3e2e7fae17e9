#include "core/RealTime.h"

#include <sched.h>
#include <sys/mman.h>

RealTimeResult EnterRealTime() {
    RealTimeResult result;
    const int policy = ::sched_getscheduler(0);
    if (policy == SCHED_FIFO || policy == SCHED_RR) {
        // Started so already (a service unit's CPUSchedulingPolicy=).
        result.scheduling = true;
    } else {
        sched_param parameter{};
        parameter.sched_priority = kRealTimePriority;
        result.scheduling = ::sched_setscheduler(0, SCHED_FIFO, &parameter) == 0;
    }
    // Pages are locked as they are first used, not all at once: the address
    // space may hold large reservations that are never touched.
    result.memoryLocked = ::mlockall(MCL_CURRENT | MCL_FUTURE | MCL_ONFAULT) == 0;
    return result;
}
