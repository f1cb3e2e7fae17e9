#include <QtTest>

#include "PortTestSupport.h"
#include "port/PortAccess.h"
#include "port/PulseTiming.h"

namespace {
constexpr int32_t kPort = 888;
} // namespace

class PortAccessTest : public QObject {
    Q_OBJECT

private slots:
    void portGuard_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("used");
        QTest::newRow("no address") << 0 << false;
        QTest::newRow("100 is no port") << 100 << false;
        QTest::newRow("101 is a port") << 101 << true;
    }
    void portGuard() {
        QFETCH(int, port);
        QFETCH(bool, used);
        SimulatedBoard io(port);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.SetRegister(port, 7);

        QCOMPARE(module.WritePortVerified(port, 7), int16_t(used ? 1 : 0));
        QCOMPARE(module.ReadPortValue(port), int16_t(used ? 7 : 0));
        QCOMPARE(io.Log().size(), used ? std::size_t{3} : std::size_t{0});
        QCOMPARE(user.beeps, 0);
        QVERIFY(user.messages.isEmpty());
    }

    void valueOutsideByteIsRefusedNotTruncated_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("256 would be 0") << 256;
        QTest::newRow("-1 would be 255") << -1;
        QTest::newRow("319 would be 63") << 319;
    }
    void valueOutsideByteIsRefusedNotTruncated() {
        QFETCH(int, value);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        QCOMPARE(module.WritePortVerified(kPort, static_cast<int16_t>(value)), int16_t(0));
        QVERIFY(io.Log().empty());
        QCOMPARE(user.beeps, 0);
    }

    // Faults that make tries fail: how many writes, reads, messages and beeps
    // reach the port and the user, and whether the write is finally verified.
    void retries_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stuckHigh");
        QTest::addColumn<int>("readErrors");
        QTest::addColumn<int>("writeErrors");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("writes");
        QTest::addColumn<int>("reads");
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("beeps");
        QTest::newRow("reads back") << 85 << 0 << 0 << 0 << 1 << 1 << 1 << 0 << 0;
        QTest::newRow("stuck bit") << 0 << 64 << 0 << 0 << 0 << 10 << 10 << 0 << 1;
        // A failed read must not pass for a read-back 0. A read error that
        // repeats is shown once for the write, not once per try.
        QTest::newRow("reads fail, value 0") << 0 << 0 << -1 << 0 << 0 << 10 << 10 << 1 << 1;
        QTest::newRow("reads fail, value 9") << 9 << 0 << -1 << 0 << 0 << 10 << 10 << 1 << 1;
        QTest::newRow("three reads fail") << 0 << 0 << 3 << 0 << 1 << 4 << 4 << 1 << 0;
        QTest::newRow("writes fail") << 5 << 0 << 0 << -1 << 0 << 10 << 0 << 0 << 1;
        QTest::newRow("ninth try works") << 5 << 0 << 0 << 8 << 1 << 9 << 1 << 0 << 0;
    }
    void retries() {
        QFETCH(int, value);
        QFETCH(int, stuckHigh);
        QFETCH(int, readErrors);
        QFETCH(int, writeErrors);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).stuckHigh = static_cast<uint8_t>(stuckHigh);
        io.FaultsOf(kPort).readErrors = readErrors;
        io.FaultsOf(kPort).writeErrors = writeErrors;

        QTEST(int(module.WritePortVerified(kPort, static_cast<int16_t>(value))), "result");
        QTEST(int(io.WritesTo(kPort).size()), "writes");
        QTEST(io.ReadCount(kPort), "reads");
        QTEST(int(user.messages.size()), "messages");
        QTEST(user.beeps, "beeps");
        for (const QString& message : user.messages) {
            QCOMPARE(message, QStringLiteral("Error reading From:888"));
        }
    }

    void readErrorIsShownWithDecimalPort() {
        SimulatedBoard io(0x378);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.SetRegister(0x37A, 12);
        io.FaultsOf(0x37A).readErrors = 1;
        QCOMPARE(module.ReadPortValue(0x378, PortRegister::Control), int16_t(0));
        QCOMPARE(user.messages, QStringList{"Error reading From:890"});
        QCOMPARE(module.ReadPortValue(0x378, PortRegister::Control), int16_t(12));
        QCOMPARE(user.messages.size(), 1);
    }

    // Inside one operation (a Load) a read error that repeats on every try is
    // shown once per register; the next operation shows it again.
    void readErrorIsShownOncePerOperation() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).readErrors = -1;
        io.FaultsOf(kPort + 2).readErrors = -1;
        {
            const PortAccess::Operation load(module);
            module.WritePortVerified(kPort, 1);
            module.WritePortVerified(kPort, 65);
            module.ReadPortValue(kPort);
            module.WritePortVerified(kPort, PortRegister::Control, 0);
            QCOMPARE(user.messages,
                     QStringList({"Error reading From:888", "Error reading From:890"}));
        }
        module.WritePortVerified(kPort, 1);
        QCOMPARE(user.messages.size(), 3);
        QCOMPARE(io.ReadCount(kPort), 31);
        QCOMPARE(user.beeps, 4);
    }

    // An unusable port is reported once (its data and control registers share
    // one message that names the base address), without ten tries, a beep or
    // read-error messages, until the port has worked again.
    void unavailablePortIsReportedOncePerAddress() {
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);
        io.FaultsOf(kPort).unavailable = true;
        io.FaultsOf(kPort + 2).unavailable = true;

        QCOMPARE(module.WritePortVerified(kPort, 3), int16_t(0));
        QCOMPARE(io.Log().size(), std::size_t{1});
        QVERIFY(module.PortUnavailable(kPort));
        QCOMPARE(module.ReadPortValue(kPort), int16_t(0));
        module.WritePortVerified(kPort, 4);
        module.WritePortVerified(kPort, PortRegister::Control, 0);
        QCOMPARE(user.messages, QStringList({QString::fromStdString(io.UnavailableReason(kPort))}));
        QCOMPARE(user.beeps, 0);

        io.FaultsOf(kPort).unavailable = false;
        QCOMPARE(module.WritePortVerified(kPort, 3), int16_t(1));
        QVERIFY(!module.PortUnavailable(kPort));
        io.FaultsOf(kPort).unavailable = true;
        module.WritePortVerified(kPort, 3);
        QCOMPARE(user.messages.size(), 2);

        // The control register is reported by its port's base address.
        PortAccess fresh(io, user);
        user.messages.clear();
        fresh.WritePortVerified(kPort, PortRegister::Control, 0);
        QCOMPARE(user.messages, QStringList({QString::fromStdString(io.UnavailableReason(kPort))}));
    }

    // The write's moment is taken when the write returned, before its
    // read-back: a pulse hold counts from there.
    void lastWriteIsStampedBeforeTheReadBack() {
        class SlowReadBack : public PortIo {
        public:
            explicit SlowReadBack(SimulatedBoard& inner) : inner_(inner) {}
            PortStatus CheckBase(int32_t base) override { return inner_.CheckBase(base); }
            PortStatus Out32(int32_t port, uint8_t value) override {
                const PortStatus status = inner_.Out32(port, value);
                written = std::chrono::steady_clock::now();
                return status;
            }
            PortStatus Inp32(int32_t port, uint8_t& value) override {
                readStarted = std::chrono::steady_clock::now();
                HoldPulse(std::chrono::microseconds(20));
                return inner_.Inp32(port, value);
            }
            std::string UnavailableReason(int32_t port) const override {
                return inner_.UnavailableReason(port);
            }
            std::chrono::steady_clock::time_point written, readStarted;

        private:
            SimulatedBoard& inner_;
        };
        SimulatedBoard board(kPort);
        SlowReadBack io(board);
        RecordingNotifier user;
        PortAccess module(io, user);

        QCOMPARE(module.WritePortVerified(kPort, 64), int16_t(1));
        QVERIFY(module.LastWrite().reached);
        QVERIFY(module.LastWrite().at >= io.written);
        QVERIFY(module.LastWrite().at <= io.readStarted);

        board.FaultsOf(kPort).unavailable = true;
        QCOMPARE(module.WritePortVerified(kPort, 0), int16_t(0));
        QVERIFY(!module.LastWrite().reached);
    }

    // Only the base address of a port is a port address: a register above it
    // or an address where no port is gets the one message, naming the address
    // as typed, and nothing reaches any register.
    void addressThatIsNoPortBase_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("named");
        QTest::newRow("control register 37A") << 0x37A << "37A";
        QTest::newRow("status register 379") << 0x379 << "379";
        QTest::newRow("FFFF") << 0xFFFF << "FFFF";
        QTest::newRow("12345") << 0x12345 << "12345";
        QTest::newRow("highest address") << 0x7FFFFFFF << "7FFFFFFF";
    }
    void addressThatIsNoPortBase() {
        QFETCH(int, address);
        QFETCH(QString, named);
        SimulatedBoard io(kPort);
        RecordingNotifier user;
        PortAccess module(io, user);

        QCOMPARE(module.WritePortVerified(address, PortRegister::Control, 0), int16_t(0));
        QCOMPARE(module.WritePortVerified(address, 0), int16_t(0));
        QCOMPARE(module.ReadPortValue(address), int16_t(0));
        QVERIFY(module.PortUnavailable(address));
        QCOMPARE(module.ProblemOf(address), PortProblem::NotListed);

        QVERIFY(io.Log().empty());
        QCOMPARE(user.messages.size(), 1);
        QVERIFY2(user.messages.front().contains(" " + named), qPrintable(user.messages.front()));
        QCOMPARE(user.beeps, 0);
        QCOMPARE(module.UnverifiedWrites(), 2L);
    }
};

QTEST_GUILESS_MAIN(PortAccessTest)
#include "PortAccessTest.moc"
