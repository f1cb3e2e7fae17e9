// The self-pipe behind TerminationSignals: an async-signal-safe handler that
// writes one byte per signal, and a socket notifier that reads them.
#include "core/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The socket pair's ends; -1 while no instance is watching. The handler reads
// the write end, so it is a sig_atomic_t.
volatile std::sig_atomic_t writeEnd = -1;
int readEnd = -1;
volatile std::sig_atomic_t secondEndsTheProgram = 1;
std::atomic<bool> stopRequested{false};
std::atomic<int> firstSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

extern "C" void OnTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    if (secondEndsTheProgram != 0) {
        // A second signal of the same kind gets the default action.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset(&defaultAction.sa_mask);
        ::sigaction(signalNumber, &defaultAction, nullptr);
    }
    int none = 0;
    firstSignal.compare_exchange_strong(none, signalNumber);
    stopRequested.store(true);
    const auto byte = static_cast<unsigned char>(signalNumber);
    const int end = writeEnd;
    if (end >= 0) {
        // Non-blocking: should the socket ever be full, the byte is dropped;
        // the ones already there end the program just the same.
        [[maybe_unused]] const ssize_t written = ::write(end, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent, Second second) : QObject(parent) {
    if (writeEnd >= 0) {
        return;
    }
    secondEndsTheProgram = second == Second::EndsTheProgram ? 1 : 0;
    stopRequested.store(false);
    firstSignal.store(0);
    int ends[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::ReadPending);

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal the program was started to ignore (nohup, a background job
        // of a script) stays ignored.
        ::sigaction(kSignals[i], nullptr, &previous_[i]);
        if ((previous_[i].sa_flags & SA_SIGINFO) == 0 && previous_[i].sa_handler == SIG_IGN) {
            continue;
        }
        installed_[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) {
        return;
    }
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (installed_[i]) {
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }
    delete notifier_;
    notifier_ = nullptr;
    const int oldWrite = writeEnd;
    writeEnd = -1;
    ::close(oldWrite);
    ::close(readEnd);
    readEnd = -1;
}

int TerminationSignals::FirstSignal() const {
    return firstSignal.load();
}

const std::atomic<bool>& TerminationSignals::StopRequested() const {
    return stopRequested;
}

void TerminationSignals::ReadPending() {
    unsigned char bytes[16];
    ssize_t count = 0;
    while ((count = ::read(readEnd, bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            emit Received(bytes[i]);
        }
    }
}
