#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (logging out, Ctrl+C, a closed terminal)
// into a Qt signal delivered by the event loop, so that a program can end
// through its normal path: settings saved, the port released. The signal
// handler only writes the signal's number into a socket pair; everything else
// runs on the event loop's thread. Qt Core only, for every front end.

#include <QObject>
#include <csignal>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers, except for a signal that is ignored already (the
    // program was started under nohup, or as a background job of a script).
    // Only one instance may exist at a time; a second one stays inert
    // (IsWatching() false).
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts back the handlers that were there before.
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool IsWatching() const { return notifier_ != nullptr; }
    // The first termination signal received, 0 while none has come.
    int FirstSignal() const { return firstSignal_; }

signals:
    // Emitted on the event loop's thread for each signal that arrived. After
    // the first one the default action is back in place, so a second signal
    // ends a program whose orderly end has got stuck.
    void Received(int signalNumber);

private:
    void ReadPending();

    QSocketNotifier* notifier_ = nullptr;
    int firstSignal_ = 0;
    struct sigaction previous_[3] {};
    bool installed_[3] {};
};
