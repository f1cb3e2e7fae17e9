// The simulated board as --simulate puts it behind the port layer: it answers
// at its base address only, and tells an observer about every write.

#include <QtTest>

#include "PortTestSupport.h"
#include "port/PortAccess.h"
#include "port/SimulatedParallelPort.h"

class SimulatedParallelPortTest : public QObject {
    Q_OBJECT

private slots:
    void servesItsThreeRegistersOnly() {
        SimulatedParallelPort port;
        QCOMPARE(port.Base(), 0x378);
        uint8_t value = 0;
        QCOMPARE(port.Out32(0x378, 0x5A), PortStatus::Ok);
        QCOMPARE(port.Inp32(0x378, value), PortStatus::Ok);
        QCOMPARE(value, uint8_t{0x5A});
        QCOMPARE(port.Out32(0x37A, 0), PortStatus::Ok);
        for (int32_t other : {0x377, 0x37B, 0x278, 0x3BC}) {
            QCOMPARE(port.Out32(other, 1), PortStatus::Unavailable);
            QCOMPARE(port.Inp32(other, value), PortStatus::Unavailable);
            QCOMPARE(port.UnavailableProblem(other), PortProblem::NotListed);
        }
        // Nothing aimed elsewhere reaches the board.
        QCOMPARE(Writes(port.Board(), 0x278), QList<int>{});
        QCOMPARE(port.Board().Decoder().Lines(), uint8_t{0x5A});
    }

    // Through the verified access: one message that names the address typed and
    // the one that works, and the write counts as not verified.
    void anUnservedAddressIsNoParallelPort() {
        SimulatedParallelPort port;
        RecordingNotifier user;
        PortAccess module(port, user);
        QCOMPARE(module.WritePortVerified(0x278, 5), int16_t{0});
        QCOMPARE(module.WritePortVerified(0x278, 6), int16_t{0});
        QCOMPARE(user.messages,
                 QStringList{"No parallel port at address 278: the simulated board answers at "
                             "378. Type 378 in the port address box."});
        QCOMPARE(user.beeps, 0);
        QCOMPARE(module.ProblemOf(0x278), PortProblem::NotListed);
        QCOMPARE(module.WritePortVerified(0x378, 5), int16_t{1});
    }

    // A register of the simulated port typed as the address is no port address:
    // nothing reaches the board's lines.
    void aRegisterAddressIsNoParallelPort() {
        SimulatedParallelPort port;
        RecordingNotifier user;
        PortAccess module(port, user);
        for (const int32_t address : {0x379, 0x37A}) {
            QCOMPARE(module.WritePortVerified(address, 2), int16_t{0});
            QCOMPARE(module.ProblemOf(address), PortProblem::NotListed);
        }
        QCOMPARE(user.messages.size(), 2);
        QVERIFY(port.Board().Log().empty());
    }

    // Each Out32 reaches the observer after the board has seen it, failed ones
    // too, in order; an empty observer stops it.
    void observerSeesEveryWriteInOrder() {
        SimulatedBoard port(0x378);
        QList<int> seen;
        QList<int> linesSeen;
        port.SetWriteObserver([&](const SimulatedBoard::Access& access) {
            seen << access.value;
            linesSeen << port.Decoder().Lines();
        });
        port.Out32(0x378, 3);
        port.FaultsOf(0x378).writeErrors = 1;
        port.Out32(0x378, 4);
        port.Out32(0x37A, 9);
        uint8_t value = 0;
        port.Inp32(0x378, value);
        QCOMPARE(seen, (QList<int>{3, 4, 9}));
        QCOMPARE(linesSeen, (QList<int>{3, 3, 3}));
        port.SetWriteObserver({});
        port.Out32(0x378, 7);
        QCOMPARE(seen.size(), 3);
    }
};

QTEST_APPLESS_MAIN(SimulatedParallelPortTest)
#include "SimulatedParallelPortTest.moc"
