#include <QtTest>

#include "PortTestSupport.h"
#include "port/PortAccess.h"

namespace {
constexpr int32_t kPort = 0x378;
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
        SimulatedPort io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);

        SendParallelWord(module, kPort, Steps(on));
        ParallelLatchPulse(module, kPort);

        QCOMPARE(Writes(io, kPort), QList<int>({word, word | 64, word}));
        QCOMPARE(int(io.Register(kPort)), word);
        QCOMPARE(int(io.Board().ParallelDevice().value), word);
        QCOMPARE(io.Board().ParallelDevice().loads, 1);
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
        SimulatedPort io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).stuckHigh = 64;

        SendParallelWord(module, kPort, Steps(on));
        ParallelLatchPulse(module, kPort);

        QCOMPARE(Writes(io, kPort),
                 Repeat({word}, 10) + QList<int>{word | 64} + Repeat({word}, 10));
        QCOMPARE(user.beeps, 2);
        QCOMPARE(int(io.Board().ParallelDevice().value), word);
    }

    void noPortWritesNothing() {
        SimulatedPort io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        SendParallelWord(module, 0, Steps({1, 6}));
        ParallelLatchPulse(module, 0);
        QVERIFY(io.Log().empty());
        QCOMPARE(user.beeps, 0);
        QVERIFY(user.messages.isEmpty());
    }

    void unavailablePortSkipsLatchWithOneMessage() {
        SimulatedPort io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).unavailable = true;
        for (int load = 0; load < 2; ++load) {
            SendParallelWord(module, kPort, Steps({2}));
            ParallelLatchPulse(module, kPort);
        }
        QCOMPARE(io.Log().size(), std::size_t{2});
        QCOMPARE(user.messages.size(), 1);
        QCOMPARE(user.beeps, 0);
    }

    void captionCountsAsOn_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("on");
        QTest::newRow("On") << "On" << true;
        QTest::newRow("ON") << "ON" << true;
        QTest::newRow("oN") << "oN" << true;
        QTest::newRow("Off") << "Off" << false;
        QTest::newRow("On with blank") << "On " << false;
        QTest::newRow("O") << "O" << false;
        QTest::newRow("empty") << "" << false;
    }
    void captionCountsAsOn() {
        QFETCH(QString, caption);
        QTEST(CaptionCountsAsOn(caption.toStdString()), "on");
    }
};

QTEST_GUILESS_MAIN(ParallelTransferTest)
#include "ParallelTransferTest.moc"
