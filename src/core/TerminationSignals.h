#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (logging out, Ctrl+C, a closed terminal)
// into a stop request: a Qt signal delivered by the event loop, so that a
// program can end through its normal path (settings saved, the port
// released), and a flag that work running outside the event loop (a timed
// sequence) looks at. The signal handler only sets the flag and writes the
// signal's number into a socket pair; everything else runs on the event loop's
// thread. The one mechanism of every front end, Qt Core only.

#include <QObject>
#include <atomic>
#include <csignal>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // What a second signal of the same kind does.
    enum class Second {
        EndsTheProgram, // the default action: ends a program whose orderly end got stuck
        RequestsAgain,  // only another request: the orderly end (parking a device) finishes
    };

    // Installs the handlers, except for a signal that is ignored already (the
    // program was started under nohup, or as a background job of a script).
    // Only one instance may exist at a time; a second one stays inert
    // (IsWatching() false).
    explicit TerminationSignals(QObject* parent = nullptr, Second second = Second::EndsTheProgram);
    // Puts back the handlers that were there before.
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool IsWatching() const { return notifier_ != nullptr; }
    // The first termination signal received, 0 while none has come. Set by the
    // handler itself, before the event loop has heard of it.
    int FirstSignal() const;
    // Set by the first termination signal; never cleared while this watches.
    const std::atomic<bool>& StopRequested() const;

signals:
    // Emitted on the event loop's thread for each signal that arrived. After
    // the first one the default action is back in place, so a second signal
    // ends a program whose orderly end has got stuck.
    void Received(int signalNumber);

private:
    void ReadPending();

    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3]{};
    bool installed_[3]{};
};
