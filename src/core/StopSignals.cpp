#include "core/StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace {

std::atomic<bool> stopRequested{false};
std::atomic<int> stopSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

extern "C" void OnStopSignal(int signalNumber) {
    int none = 0;
    stopSignal.compare_exchange_strong(none, signalNumber);
    stopRequested.store(true);
}

} // namespace

const std::atomic<bool>& InstallStopSignals() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
            sigaction(signalNumber, &action, nullptr);
        }
        return true;
    }();
    static_cast<void>(installed);
    return stopRequested;
}

int StopSignalNumber() {
    return stopSignal.load();
}
