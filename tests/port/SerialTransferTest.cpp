#include <QtTest>

#include "PortTestSupport.h"
#include "port/PortAccess.h"

namespace {
constexpr int32_t kPort = 0x378;
const QList<int> kOff = {0, 1, 0};
const QList<int> kOn = {2, 3, 2};
} // namespace

class SerialTransferTest : public QObject {
    Q_OBJECT

private slots:
    void bytesAndLoadedDevice_data() {
        QTest::addColumn<QList<int>>("on");
        QTest::addColumn<int>("le");
        QTest::addColumn<QList<int>>("bytes");
        QTest::addColumn<int>("loaded");
        QTest::newRow("all off, LE1")
            << QList<int>{} << 1 << Repeat(kOff, 6) + QList<int>{4, 0} << 0;
        QTest::newRow("step 0 on, LE6")
            << QList<int>{0} << 6 << Repeat(kOff, 5) + kOn + QList<int>{130, 0} << 0b000001;
        QTest::newRow("step 5 on goes first, LE2")
            << QList<int>{5} << 2 << kOn + Repeat(kOff, 5) + QList<int>{8, 0} << 0b100000;
        QTest::newRow("step 6 is not sent, LE3")
            << QList<int>{6} << 3 << Repeat(kOff, 6) + QList<int>{16, 0} << 0;
        QTest::newRow("all seven on, LE5") << QList<int>{0, 1, 2, 3, 4, 5, 6} << 5
                                           << Repeat(kOn, 6) + QList<int>{66, 0} << 0b111111;
        QTest::newRow("steps 4 and 1, LE4")
            << QList<int>{4, 1} << 4 << kOff + kOn + kOff + kOff + kOn + kOff + QList<int>{32, 0}
            << 0b010010;
    }
    void bytesAndLoadedDevice() {
        QFETCH(QList<int>, on);
        QFETCH(int, le);
        QFETCH(int, loaded);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        LeMemoryTable memory = {9, 9, 9, 9, 9, 9, 9};

        SendSerialWord(module, kPort, Steps(on), static_cast<int16_t>(le), -7.5f, memory);

        QTEST(Writes(io, kPort), "bytes");
        QCOMPARE(io.Register(kPort), uint8_t{0});
        for (int line = 1; line <= 6; ++line) {
            const auto entry = static_cast<std::size_t>(line);
            QCOMPARE(io.Decoder().SerialDevice(line).loads, line == le ? 1 : 0);
            QCOMPARE(memory[entry], line == le ? -7.5f : 9.0f);
        }
        QCOMPARE(int(io.Decoder().SerialDevice(le).value), loaded);
        QCOMPARE(user.beeps, 0);
    }

    // Nothing reaches the port and nothing is recorded without a port or with
    // an LE line that does not exist.
    void refused_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<int>("le");
        QTest::newRow("no port") << 0 << 1;
        QTest::newRow("LE 0") << kPort << 0;
        QTest::newRow("LE 7") << kPort << 7;
    }
    void refused() {
        QFETCH(int, port);
        QFETCH(int, le);
        SimulatedBoard io(port);
        RecordingNotifier user;
        PortAccess module(io, user);
        LeMemoryTable memory = {1, 2, 3, 4, 5, 6, 7};
        SendSerialWord(module, port, Steps({0, 5}), static_cast<int16_t>(le), 12.5f, memory);
        QVERIFY(io.Log().empty());
        QCOMPARE(memory, (LeMemoryTable{1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(user.beeps, 0);
    }

    void failedDataWriteEndsTransferBeforeLatch() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).stuckLow = 2; // the data line never reads back high
        LeMemoryTable memory{};

        SendSerialWord(module, kPort, Steps({3}), 1, 4.0f, memory);

        QCOMPARE(Writes(io, kPort), kOff + kOff + Repeat({2}, 10));
        QCOMPARE(user.beeps, 1);
        QCOMPARE(io.Decoder().SerialDevice(1).loads, 0);
        QCOMPARE(memory[1], 0.0f);
    }

    void unavailablePortEndsTransferWithOneMessage() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).unavailable = true;
        LeMemoryTable memory{};

        SendSerialWord(module, kPort, Steps({}), 1, 4.0f, memory);
        SendSerialWord(module, kPort, Steps({}), 2, 4.0f, memory);

        QCOMPARE(Writes(io, kPort), QList<int>({0, 0}));
        QCOMPARE(user.messages.size(), 1);
        QCOMPARE(user.beeps, 0);
        QCOMPARE(memory, LeMemoryTable{});
    }

    // The port goes away part way: a transfer that ends early records nothing,
    // also when the LE line went high but the write that ends the pulse was lost.
    void portGoneDuringTransferRecordsNothing_data() {
        QTest::addColumn<int>("writesLeft");
        QTest::addColumn<int>("loads");
        QTest::newRow("at the first bit") << 0 << 0;
        QTest::newRow("at the LE write") << 18 << 0;
        QTest::newRow("at the write that ends the pulse") << 19 << 1;
    }
    void portGoneDuringTransferRecordsNothing() {
        QFETCH(int, writesLeft);
        SimulatedBoard board(kPort);
        VanishingPort io(board, writesLeft);
        RecordingNotifier user;
        PortAccess module(io, user);
        LeMemoryTable memory = {1, 2, 3, 4, 5, 6, 7};

        QVERIFY(!SendSerialWord(module, kPort, Steps({1}), 2, -2.0f, memory));

        QCOMPARE(int(board.WritesTo(kPort).size()), writesLeft);
        QTEST(board.Decoder().SerialDevice(2).loads, "loads");
        QCOMPARE(memory, (LeMemoryTable{1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(user.messages, QStringList{"Port 888 is gone."});
        QCOMPARE(user.beeps, 0);
    }

    // A final write that only fails its read-back still ended the pulse: the
    // device was loaded and the value is recorded.
    void unverifiedEndOfPulseStillRecords() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        LeMemoryTable memory{};
        // Every read after the LE write's read-back fails: the final 0 never verifies.
        class LateReadErrors : public PortIo {
        public:
            explicit LateReadErrors(SimulatedBoard& inner) : inner_(inner) {}
            PortStatus CheckBase(int32_t base) override { return inner_.CheckBase(base); }
            PortStatus Out32(int32_t port, uint8_t value) override {
                return inner_.Out32(port, value);
            }
            PortStatus Inp32(int32_t port, uint8_t& value) override {
                return ++reads_ > 19 ? PortStatus::AccessError : inner_.Inp32(port, value);
            }
            std::string UnavailableReason(int32_t) const override { return {}; }

        private:
            SimulatedBoard& inner_;
            int reads_ = 0;
        } late(io);
        PortAccess lateModule(late, user);

        QVERIFY(SendSerialWord(lateModule, kPort, Steps({0}), 4, -1.0f, memory));
        QCOMPARE(memory[4], -1.0f);
        QCOMPARE(io.Decoder().SerialDevice(4).loads, 1);
        QCOMPARE(io.Register(kPort), uint8_t{0});
        QCOMPARE(user.beeps, 1);
        QCOMPARE(user.messages, QStringList{"Error reading From:888"});
    }

    // Two devices on different LE lines keep what each was loaded with.
    void devicesShareClockAndData() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        LeMemoryTable memory{};
        SendSerialWord(module, kPort, Steps({0, 2}), 1, 2.5f, memory);
        SendSerialWord(module, kPort, Steps({5}), 6, 16.0f, memory);
        QCOMPARE(int(io.Decoder().SerialDevice(1).value), 0b000101);
        QCOMPARE(int(io.Decoder().SerialDevice(6).value), 0b100000);
        QCOMPARE(memory, (LeMemoryTable{0, 2.5f, 0, 0, 0, 0, 16.0f}));
    }
};

QTEST_GUILESS_MAIN(SerialTransferTest)
#include "SerialTransferTest.moc"
