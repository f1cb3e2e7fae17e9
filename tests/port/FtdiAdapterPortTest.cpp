// The FTDI adapter as a port: transfers reach the board as batches, faults of
// the adapter reach the user as a port's faults do.
#include <QtTest>

#include <memory>

#include "FakeFtdiDevice.h"
#include "PortTestSupport.h"
#include "port/FtdiAdapterPort.h"

Q_DECLARE_METATYPE(FtdiStatus)
Q_DECLARE_METATYPE(PortProblem)

namespace {

constexpr int32_t kBase = 0x278;

// Every device the port makes (for a listing, for each open) is the one chip.
class SharedChip : public FtdiDevice {
public:
    explicit SharedChip(FakeFtdiDevice& chip) : chip_(chip) {}
    FtdiStatus List(bool probe, std::vector<FtdiAdapterInfo>& found) override {
        return chip_.List(probe, found);
    }
    FtdiStatus Open(const FtdiAddress& address) override { return chip_.Open(address); }
    FtdiStatus SetSyncBitBang() override { return chip_.SetSyncBitBang(); }
    FtdiStatus SetBaudRate(int baud) override { return chip_.SetBaudRate(baud); }
    FtdiStatus Write(const std::vector<uint8_t>& bytes, std::size_t& written) override {
        return chip_.Write(bytes, written);
    }
    FtdiStatus Read(std::size_t count, std::vector<uint8_t>& bytes) override {
        return chip_.Read(count, bytes);
    }
    FtdiStatus ReadPins(uint8_t& pins) override { return chip_.ReadPins(pins); }
    FtdiStatus Purge() override { return chip_.Purge(); }
    void Close() override {}
    std::string ErrorText() const override { return chip_.ErrorText(); }

private:
    FakeFtdiDevice& chip_;
};

struct Rig {
    explicit Rig(const std::string& url = "ftdi://ftdi:232h/1")
        : port(url, [this] { return std::make_unique<SharedChip>(chip); }), access(port, notifier) {}

    // What the board's logic made of every state the pins went through.
    BoardDecoder Board() const {
        BoardDecoder decoder;
        for (uint8_t lines : chip.driven) {
            decoder.Feed(lines);
        }
        return decoder;
    }

    FakeFtdiDevice chip;
    FtdiAdapterPort port;
    RecordingNotifier notifier;
    PortAccess access;
};

FtdiAdapterInfo Adapter(uint16_t product, const std::string& serial) {
    return {kFtdiVendorId, product, serial, "", 1, 7, FtdiStatus::Ok, ""};
}

} // namespace

class FtdiAdapterPortTest : public QObject {
    Q_OBJECT

private slots:
    void serialLoadIsOneBatchAndItsLatch_data() {
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("le");
        QTest::newRow("steps 0, 2, 5 on LE 3") << 0x25 << 3;
        QTest::newRow("all steps on LE 6") << 0x3F << 6;
        QTest::newRow("no steps on LE 1") << 0x00 << 1;
    }
    void serialLoadIsOneBatchAndItsLatch() {
        QFETCH(int, word);
        QFETCH(int, le);
        Rig rig;
        QVERIFY(SendSerialWord(rig.access, kBase, static_cast<uint8_t>(word), static_cast<int16_t>(le)));

        QCOMPARE(rig.port.LastUsbWrites(), 2);
        QCOMPARE(int(rig.chip.writes.size()), 2);
        // Six steps of three states and the repeat of the last, then LE up and down.
        QCOMPARE(int(rig.chip.writes[0].size()), 19);
        QCOMPARE(int(rig.chip.writes[1].size()), 2);
        QCOMPARE(int(rig.Board().SerialDevice(le).value), word);
        QCOMPARE(rig.Board().SerialDevice(le).loads, 1);
        QCOMPARE(rig.notifier.beeps, 0);
        QVERIFY(rig.notifier.messages.isEmpty());
        QCOMPARE(rig.chip.opened.size(), std::size_t(1));
        QCOMPARE(rig.chip.opened[0].serial, std::string("FT5XYZ12"));
    }

    void parallelLoadLatchesOnD6() {
        Rig rig;
        QVERIFY(SendParallelTransfer(rig.access, kBase, 0x5A));
        QCOMPARE(rig.port.LastUsbWrites(), 2);
        QCOMPARE(int(rig.Board().ParallelDevice().value), 0x9A); // step 6 on D7
        QCOMPARE(rig.Board().ParallelDevice().loads, 1);
    }

    // Ten batches that never read back: one beep, and the latch pulse never
    // reached the board.
    void unverifiedBatchIsNeverLatched() {
        Rig rig;
        rig.chip.corruptWrites = 100;
        rig.chip.corruptEchoAt = 3;
        QVERIFY(!SendSerialWord(rig.access, kBase, 0x15, 2));
        QCOMPARE(rig.notifier.beeps, 1);
        QCOMPARE(int(rig.chip.writes.size()), 10);
        QCOMPARE(rig.Board().SerialDevice(2).loads, 0);
        QCOMPARE(rig.access.UnverifiedWrites(), 1L);
        QVERIFY(!rig.access.PortUnavailable(kBase));
    }

    // A single write (the window's zero write at activation) reads back
    // through the repeat behind it; the control register has no counterpart.
    void singleWritesAndTheControlRegister() {
        Rig rig;
        QCOMPARE(rig.access.WritePortVerified(kBase, PortRegister::Control, 0), int16_t(1));
        QVERIFY(rig.chip.writes.empty());
        QCOMPARE(rig.access.WritePortVerified(kBase, 0x42), int16_t(1));
        QCOMPARE(rig.chip.writes.size(), std::size_t(1));
        QCOMPARE(int(rig.chip.pins), 0x42);
    }

    // Unplugged mid-run: the one message, then at the next access the adapter
    // is found and opened again.
    void unpluggedAndPluggedInAgain() {
        Rig rig;
        QVERIFY(SendSerialWord(rig.access, kBase, 0x01, 1));
        rig.chip.gone = true;
        QVERIFY(!SendSerialWord(rig.access, kBase, 0x02, 1));
        QVERIFY(!SendSerialWord(rig.access, kBase, 0x03, 1));
        QVERIFY(rig.access.PortUnavailable(kBase));
        QCOMPARE(rig.port.UnavailableProblem(kBase), PortProblem::NoDevice);
        QCOMPARE(rig.notifier.messages.size(), 1);
        QVERIFY2(rig.notifier.messages[0].contains("is gone"), qPrintable(rig.notifier.messages[0]));

        rig.chip.gone = false;
        QVERIFY(SendSerialWord(rig.access, kBase, 0x04, 1));
        QCOMPARE(rig.chip.opened.size(), std::size_t(2));
        QCOMPARE(int(rig.Board().SerialDevice(1).value), 0x04);
    }

    void faultsAtOpen_data() {
        QTest::addColumn<FtdiStatus>("status");
        QTest::addColumn<PortProblem>("problem");
        QTest::addColumn<QString>("says");
        QTest::newRow("no permission") << FtdiStatus::NoPermission << PortProblem::NoPermission
                                       << "udev rule";
        QTest::newRow("held by another program")
            << FtdiStatus::Busy << PortProblem::Busy << "held by another program";
        QTest::newRow("other") << FtdiStatus::Failed << PortProblem::Other << "could not be set up";
    }
    void faultsAtOpen() {
        QFETCH(FtdiStatus, status);
        QFETCH(PortProblem, problem);
        QFETCH(QString, says);
        Rig rig;
        rig.chip.openStatus = status;
        QVERIFY(!SendSerialWord(rig.access, kBase, 0x01, 1));
        QVERIFY(rig.chip.writes.empty());
        QCOMPARE(rig.port.UnavailableProblem(kBase), problem);
        QCOMPARE(rig.notifier.messages.size(), 1);
        QVERIFY2(rig.notifier.messages[0].contains(says), qPrintable(rig.notifier.messages[0]));
        QVERIFY2(rig.notifier.messages[0].contains("USB bus 1 device 4"),
                 qPrintable(rig.notifier.messages[0]));
    }

    // An address that matches no adapter, or several, says which there are.
    void addressesThatDoNotNameOneAdapter_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("adapters");
        QTest::addColumn<QString>("says");
        QTest::newRow("none plugged in") << "ftdi://ftdi:232h/1" << 0 << "No FTDI adapter is plugged in";
        QTest::newRow("another chip") << "ftdi://ftdi:2232h/1" << 1
                                      << "Plugged in: ftdi://ftdi:232h:FT5XYZ12/1 (FT232H)";
        QTest::newRow("another serial number") << "ftdi://::NOPE/1" << 2 << "No FTDI adapter matches";
        QTest::newRow("two alike") << "ftdi://ftdi:232h/1" << 2
                                   << "matches 2 adapters: ftdi://ftdi:232h:FT5XYZ12/1 (FT232H), "
                                      "ftdi://ftdi:232h:FT00002/1 (FT232H). Name one";
    }
    void addressesThatDoNotNameOneAdapter() {
        QFETCH(QString, url);
        QFETCH(int, adapters);
        QFETCH(QString, says);
        Rig rig(url.toStdString());
        rig.chip.adapters.clear();
        if (adapters > 0) {
            rig.chip.adapters.push_back(Adapter(0x6014, "FT5XYZ12"));
        }
        if (adapters > 1) {
            rig.chip.adapters.push_back(Adapter(0x6014, "FT00002"));
        }
        QVERIFY(!SendSerialWord(rig.access, kBase, 0x01, 1));
        QVERIFY(rig.chip.opened.empty());
        QCOMPARE(rig.notifier.messages.size(), 1);
        QVERIFY2(rig.notifier.messages[0].contains(says), qPrintable(rig.notifier.messages[0]));
    }
};

QTEST_GUILESS_MAIN(FtdiAdapterPortTest)
#include "FtdiAdapterPortTest.moc"
