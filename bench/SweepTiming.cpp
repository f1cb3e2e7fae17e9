// Start-time error of the core's timed sequence on the simulated board.
#include "SweepTiming.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "core/Board.h"
#include "core/ControlWord.h"
#include "core/Sequence.h"
#include "port/PortAccess.h"
#include "port/SimulatedBoard.h"

namespace {

class SilentNotifier : public UserNotifier {
public:
    void Beep() override {}
    void ShowMessage(const std::string&) override {}
};

double Percentile(const std::vector<double>& sorted, double fraction) {
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[index];
}

} // namespace

BusyMachine::BusyMachine() {
    for (int& child : children_) {
        child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            sched_param normal{};
            ::sched_setscheduler(0, SCHED_OTHER, &normal);
            volatile unsigned long spin = 0;
            for (;;) {
                spin = spin + 1;
            }
        }
    }
}

BusyMachine::~BusyMachine() {
    for (const int child : children_) {
        if (child > 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
    }
}

StartErrors MeasureSweep(std::chrono::nanoseconds dwell, std::size_t steps) {
    SimulatedBoard port(0x378);
    SilentNotifier notifier;
    Board board(port, notifier);
    SequencePlan plan;
    plan.dwell = dwell;
    plan.repeat = 1;
    for (std::size_t i = 0; i < steps; ++i) {
        plan.values.push_back(0.5 * static_cast<double>(i % 64));
    }
    std::vector<double> errors;
    errors.reserve(steps);
    std::chrono::steady_clock::time_point last;
    std::chrono::steady_clock::time_point lastPlanned;
    const std::atomic<bool> stop{false};
    SequenceLateness lateness;
    RunSequence(
        plan, stop,
        [&](SequenceStep& step) {
            errors.push_back(std::chrono::duration<double, std::micro>(step.late).count());
            last = step.actual;
            // The deadline as the slips before it moved it.
            lastPlanned = step.planned;
            const auto word = static_cast<ControlWord>(step.number % 64);
            board.Load(0x378, InterfaceClass::Serial, word, 1);
            step.loaded = std::chrono::steady_clock::now();
            port.ClearLog();
            return true;
        },
        &lateness);
    StartErrors result;
    result.steps = errors.size();
    if (errors.empty()) {
        return result;
    }
    result.lateSteps = lateness.lateSteps;
    result.slipUs = std::chrono::duration<double, std::micro>(lateness.slip).count();
    // The slip up to the last step is in its deadline; a Load of the last step
    // that overran slips only what would have come after it.
    result.lastStepUs = std::chrono::duration<double, std::micro>(last - lastPlanned).count();
    std::sort(errors.begin(), errors.end());
    result.medianUs = Percentile(errors, 0.5);
    result.p99Us = Percentile(errors, 0.99);
    result.worstUs = errors.back();
    return result;
}
