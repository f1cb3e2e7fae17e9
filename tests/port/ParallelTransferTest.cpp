#include <QtTest>

#include "PortTestSupport.h"
#include "port/PortAccess.h"

namespace {
constexpr int32_t kPort = 0x378;

// The word and its latch pulse, as one Load sends them.
bool SendAndLatch(PortAccess& module, int32_t port, uint8_t steps) {
    const PortAccess::Operation load(module);
    return ParallelLatchPulse(module, port, SendParallelWord(module, port, steps));
}
} // namespace

class ParallelTransferTest : public QObject {
    Q_OBJECT

private slots:
    void wordAndLatch_data() {
        QTest::addColumn<QList<int>>("on");
        QTest::addColumn<int>("word");
        QTest::newRow("none on") << QList<int>{} << 0;
        QTest::newRow("all seven on") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 191;
        QTest::newRow("step 6 goes to D7") << QList<int>{6} << 128;
        QTest::newRow("step 5") << QList<int>{5} << 32;
        QTest::newRow("steps 0 and 3") << QList<int>{0, 3} << 9;
    }
    void wordAndLatch() {
        QFETCH(QList<int>, on);
        QFETCH(int, word);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);

        SendAndLatch(module, kPort, Steps(on));

        QCOMPARE(Writes(io, kPort), QList<int>({word, word | 64, word}));
        QCOMPARE(int(io.Register(kPort)), word);
        QCOMPARE(int(io.Decoder().ParallelDevice().value), word);
        QCOMPARE(io.Decoder().ParallelDevice().loads, 1);
        QCOMPARE(user.beeps, 0);
    }

    // When D6 reads back high the word fails its verify; the pulse then only
    // sets and clears D6 and never carries into D7 or leaves the byte range.
    void latchWithD6ReadingHigh_data() {
        QTest::addColumn<QList<int>>("on");
        QTest::addColumn<int>("word");
        QTest::newRow("none on") << QList<int>{} << 0;
        QTest::newRow("all seven on") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 191;
    }
    void latchWithD6ReadingHigh() {
        QFETCH(QList<int>, on);
        QFETCH(int, word);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).stuckHigh = 64;

        SendAndLatch(module, kPort, Steps(on));

        QCOMPARE(Writes(io, kPort),
                 Repeat({word}, 10) + QList<int>{word | 64} + Repeat({word}, 10));
        QCOMPARE(user.beeps, 2);
        QCOMPARE(int(io.Decoder().ParallelDevice().value), word);
    }

    // The latch pulse is made of the word that was written, never of a read of
    // the lines: a failing read or a stuck read-back bit cannot change what the
    // device latches. A read error on every try is one message for the Load.
    void latchCarriesTheWrittenWordWhateverReadsBack_data() {
        QTest::addColumn<int>("stuckHigh");
        QTest::addColumn<int>("readErrors");
        QTest::addColumn<int>("messages");
        QTest::newRow("every read fails") << 0 << -1 << 1;
        QTest::newRow("D7 reads back stuck at 1") << 128 << 0 << 0;
    }
    void latchCarriesTheWrittenWordWhateverReadsBack() {
        QFETCH(int, stuckHigh);
        QFETCH(int, readErrors);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).stuckHigh = static_cast<uint8_t>(stuckHigh);
        io.FaultsOf(kPort).readErrors = readErrors;
        const int word = 1 | 4 | 32; // steps 0, 2 and 5

        QVERIFY(SendAndLatch(module, kPort, Steps({0, 2, 5})));

        QCOMPARE(Writes(io, kPort),
                 Repeat({word}, 10) + Repeat({word | 64}, 10) + Repeat({word}, 10));
        QCOMPARE(int(io.Decoder().ParallelDevice().value), word);
        QCOMPARE(io.Decoder().ParallelDevice().loads, 1);
        QCOMPARE(user.beeps, 3);
        QTEST(int(user.messages.size()), "messages");
        if (!user.messages.isEmpty()) {
            QCOMPARE(user.messages.front(), QStringLiteral("Error reading From:888"));
        }
    }

    // A port that goes away during the transfer ends it before the pulse, or
    // reports the pulse unfinished when it goes away while D6 is high.
    void portGoneDuringTransfer_data() {
        QTest::addColumn<int>("writesLeft");
        QTest::addColumn<QList<int>>("writes");
        QTest::addColumn<int>("loads");
        QTest::newRow("after the word") << 1 << QList<int>{9} << 0;
        QTest::newRow("while D6 is high") << 2 << QList<int>{9, 73} << 1;
    }
    void portGoneDuringTransfer() {
        QFETCH(int, writesLeft);
        SimulatedBoard board(kPort);
        VanishingPort io(board, writesLeft);
        RecordingNotifier user;
        PortAccess module(io, user);

        QVERIFY(!SendAndLatch(module, kPort, Steps({0, 3})));

        QTEST(Writes(board, kPort), "writes");
        QTEST(board.Decoder().ParallelDevice().loads, "loads");
        QCOMPARE(user.messages, QStringList{"Port 888 is gone."});
        QCOMPARE(user.beeps, 0);
    }

    void noPortWritesNothing() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        SendAndLatch(module, 0, Steps({1, 6}));
        QVERIFY(io.Log().empty());
        QCOMPARE(user.beeps, 0);
        QVERIFY(user.messages.isEmpty());
    }

    void unavailablePortSkipsLatchWithOneMessage() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).unavailable = true;
        for (int load = 0; load < 2; ++load) {
            SendAndLatch(module, kPort, Steps({2}));
        }
        QCOMPARE(io.Log().size(), std::size_t{2});
        QCOMPARE(user.messages.size(), 1);
        QCOMPARE(user.beeps, 0);
    }
};

QTEST_GUILESS_MAIN(ParallelTransferTest)
#include "ParallelTransferTest.moc"
