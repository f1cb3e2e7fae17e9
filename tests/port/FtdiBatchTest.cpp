#include <QtTest>

#include "FakeFtdiDevice.h"
#include "port/FtdiBatch.h"

Q_DECLARE_METATYPE(PortProblem)

namespace {

using Bytes = std::vector<uint8_t>;

// A serial transfer's shape: clock and data on D0/D1, then an LE pulse on D2.
// No byte equals the one before it, nor the first the pins' 0xFF: a check of
// each byte against its own echo, not the one behind it, fails on every byte.
const Bytes kBatch = {0x00, 0x01, 0x03, 0x02, 0x00, 0x01, 0x00};
const Bytes kLatch = {0x04, 0x00};

QList<int> List(const Bytes& bytes) {
    return QList<int>(bytes.begin(), bytes.end());
}

Bytes WithRepeat(const Bytes& bytes) {
    Bytes out = bytes;
    out.push_back(bytes.back());
    return out;
}

} // namespace

class FtdiBatchTest : public QObject {
    Q_OBJECT

private slots:
    void emulatorReadsOneBehind() {
        FakeFtdiDevice chip;
        std::size_t written = 0;
        QCOMPARE(chip.Write({0x55, 0xAA, 0xAA}, written), FtdiStatus::Ok);
        Bytes echo;
        QCOMPARE(chip.Read(3, echo), FtdiStatus::Ok);
        QCOMPARE(List(echo), QList<int>({0xFF, 0x55, 0xAA}));
    }

    void loadWithoutFaultsTakesTwoWrites() {
        for (std::size_t i = 0; i < kBatch.size(); ++i) {
            QVERIFY(kBatch[i] != (i == 0 ? 0xFF : kBatch[i - 1]));
        }
        FakeFtdiDevice chip;
        const FtdiBatchResult result = SendVerified(chip, kBatch, kLatch);

        QVERIFY(result.verified);
        QVERIFY(result.latched);
        QCOMPARE(result.tries, 1);
        QCOMPARE(result.usbWrites, 2);
        QCOMPARE(result.problem, PortProblem::None);
        QCOMPARE(int(chip.writes.size()), 2);
        QCOMPARE(List(chip.writes[0]), List(WithRepeat(kBatch)));
        QCOMPARE(List(chip.writes[1]), List(kLatch));
        QCOMPARE(chip.reads, 2);
        QCOMPARE(chip.purges, 0);
        // The latch pulse's echoes were read too: nothing is left for the next load.
        QVERIFY(chip.received.empty());
    }

    // One echo of every batch reads back wrong. The first echo is the pins
    // before the batch and proves nothing; the last is the echo of the final
    // byte, which only the repeated byte brings back.
    void echoChecks_data() {
        QTest::addColumn<int>("corruptEchoAt");
        QTest::addColumn<bool>("verifies");

        QTest::newRow("pins before the batch") << 0 << true;
        QTest::newRow("first byte") << 1 << false;
        QTest::newRow("middle byte") << 4 << false;
        QTest::newRow("last byte") << int(kBatch.size()) << false;
    }
    void echoChecks() {
        QFETCH(int, corruptEchoAt);
        QFETCH(bool, verifies);

        FakeFtdiDevice chip;
        chip.corruptWrites = 100;
        chip.corruptEchoAt = corruptEchoAt;
        const FtdiBatchResult result = SendVerified(chip, kBatch, kLatch);

        QCOMPARE(result.verified, verifies);
        QCOMPARE(result.latched, verifies);
        if (verifies) {
            QCOMPARE(result.usbWrites, 2);
            return;
        }
        QCOMPARE(result.tries, kFtdiBatchTries);
        QCOMPARE(result.usbWrites, kFtdiBatchTries);
        QCOMPARE(result.problem, PortProblem::Other);
        QVERIFY2(QString::fromStdString(result.reason).contains("after 10 tries"), result.reason.c_str());
        // Every try was the whole batch, and the board never saw the latch pulse.
        for (const Bytes& write : chip.writes) {
            QCOMPARE(List(write), List(WithRepeat(kBatch)));
        }
        QVERIFY(std::find(chip.driven.begin(), chip.driven.end(), kLatch[0]) == chip.driven.end());
    }

    // A try that fails is sent again whole, after the adapter's buffers were
    // emptied: a short read leaves an echo behind that would shift the next.
    void retriesUntilVerified_data() {
        QTest::addColumn<int>("corruptWrites");
        QTest::addColumn<int>("shortReads");
        QTest::addColumn<int>("tries");

        QTest::newRow("three mismatches") << 3 << 0 << 4;
        QTest::newRow("nine mismatches") << 9 << 0 << 10;
        QTest::newRow("a short read") << 0 << 1 << 2;
        QTest::newRow("two short reads, the first mismatched too") << 1 << 2 << 3;
    }
    void retriesUntilVerified() {
        QFETCH(int, corruptWrites);
        QFETCH(int, shortReads);
        QFETCH(int, tries);

        FakeFtdiDevice chip;
        chip.corruptWrites = corruptWrites;
        chip.corruptEchoAt = 2;
        chip.shortReads = shortReads;
        const FtdiBatchResult result = SendVerified(chip, kBatch, kLatch);

        QVERIFY(result.verified);
        QVERIFY(result.latched);
        QCOMPARE(result.tries, tries);
        QCOMPARE(result.usbWrites, tries + 1);
        QCOMPARE(chip.purges, tries - 1);
        QCOMPARE(List(chip.writes.back()), List(kLatch));
    }

    void adapterGone_data() {
        QTest::addColumn<bool>("goneAtStart");
        QTest::addColumn<int>("goneAfterWrites");

        QTest::newRow("before the batch") << true << -1;
        QTest::newRow("after the batch went out") << false << 1;
    }
    void adapterGone() {
        QFETCH(bool, goneAtStart);
        QFETCH(int, goneAfterWrites);

        FakeFtdiDevice chip;
        chip.gone = goneAtStart;
        chip.goneAfterWrites = goneAfterWrites;
        const FtdiBatchResult result = SendVerified(chip, kBatch, kLatch);

        QVERIFY(!result.verified);
        QVERIFY(!result.latched);
        QCOMPARE(result.tries, 1);
        QCOMPARE(result.usbWrites, 1);
        QCOMPARE(result.problem, PortProblem::NoDevice);
        QCOMPARE(QString::fromStdString(result.reason), QString("adapter unplugged"));
    }

    void batchTooLongForTheReceiveBuffer() {
        FakeFtdiDevice chip;
        const FtdiBatchResult result = SendVerified(chip, Bytes(kFtdiMostBatchBytes + 1, 0x01), kLatch);
        QVERIFY(!result.latched);
        QCOMPARE(result.usbWrites, 0);
        QVERIFY(chip.writes.empty());
        QCOMPARE(result.problem, PortProblem::Other);
    }
};

QTEST_GUILESS_MAIN(FtdiBatchTest)
#include "FtdiBatchTest.moc"
