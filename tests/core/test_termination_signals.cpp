// SIGTERM, SIGINT and SIGHUP arrive as a Qt signal on the event loop, once
// each, with the default action back for a second one; the handlers that were
// there before come back when the watcher goes.

#include <QSignalSpy>
#include <QtTest>
#include <csignal>

#include "core/TerminationSignals.h"

namespace {

// The current disposition of `signalNumber`.
void (*HandlerOf(int signalNumber))(int) {
    struct sigaction current {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler;
}

} // namespace

class TestTerminationSignals : public QObject {
    Q_OBJECT

private slots:
    void eachSignalArrivesOnTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int{SIGTERM};
        QTest::newRow("SIGINT") << int{SIGINT};
        QTest::newRow("SIGHUP") << int{SIGHUP};
    }

    void eachSignalArrivesOnTheEventLoop() {
        QFETCH(int, signalNumber);
        TerminationSignals watcher;
        QVERIFY(watcher.IsWatching());
        QSignalSpy received(&watcher, &TerminationSignals::Received);
        QCOMPARE(watcher.FirstSignal(), 0);

        QCOMPARE(::raise(signalNumber), 0);
        // Nothing runs inside the handler: the news waits for the event loop.
        QCOMPARE(received.count(), 0);
        QVERIFY(received.wait(5000));
        QCOMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toInt(), signalNumber);
        QCOMPARE(watcher.FirstSignal(), signalNumber);
        // A second signal of that kind would now end the program at once.
        QVERIFY(HandlerOf(signalNumber) == SIG_DFL);
    }

    // For work that must finish its orderly end (parking a device): a second
    // signal only asks again, and the request is there before any event loop
    // has run.
    void aSecondSignalCanOnlyAskAgain() {
        TerminationSignals watcher(nullptr, TerminationSignals::Second::RequestsAgain);
        QVERIFY(!watcher.StopRequested().load());
        QCOMPARE(::raise(SIGINT), 0);
        QVERIFY(watcher.StopRequested().load());
        QCOMPARE(watcher.FirstSignal(), int{SIGINT});
        QVERIFY(HandlerOf(SIGINT) != SIG_DFL);
        QCOMPARE(::raise(SIGTERM), 0);
        QCOMPARE(watcher.FirstSignal(), int{SIGINT});
        QSignalSpy received(&watcher, &TerminationSignals::Received);
        QVERIFY(received.wait(5000));
        QTRY_COMPARE_WITH_TIMEOUT(received.count(), 2, 5000);
    }

    void earlierHandlersComeBack() {
        const auto previous = HandlerOf(SIGTERM);
        {
            TerminationSignals watcher;
            QVERIFY(HandlerOf(SIGTERM) != previous);
        }
        QVERIFY(HandlerOf(SIGTERM) == previous);
    }

    // Started under nohup: a hang-up stays ignored.
    void ignoredSignalStaysIgnored() {
        const auto previous = ::signal(SIGHUP, SIG_IGN);
        {
            TerminationSignals watcher;
            QVERIFY(watcher.IsWatching());
            QVERIFY(HandlerOf(SIGHUP) == SIG_IGN);
            QSignalSpy received(&watcher, &TerminationSignals::Received);
            QCOMPARE(::raise(SIGHUP), 0);
            QVERIFY(!received.wait(200));
        }
        QVERIFY(HandlerOf(SIGHUP) == SIG_IGN);
        ::signal(SIGHUP, previous);
    }

    void onlyOneWatcherAtATime() {
        TerminationSignals first;
        TerminationSignals second;
        QVERIFY(first.IsWatching());
        QVERIFY(!second.IsWatching());
        QSignalSpy received(&first, &TerminationSignals::Received);
        QCOMPARE(::raise(SIGTERM), 0);
        QVERIFY(received.wait(5000));
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "test_termination_signals.moc"
