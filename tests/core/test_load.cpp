// One Load as every front end runs it: what reaches the board and the user when
// the port fails part way.

#include <QtTest>

#include "core/Board.h"
#include "core/CollectingNotifier.h"
#include "port/SimulatedBoard.h"

namespace {

constexpr int32_t kPort = 0x378;

// Steps 0, 2 and 5 on.
constexpr ControlWord kSteps = 0b100101;

} // namespace

class LoadTest : public QObject {
    Q_OBJECT

private slots:
    // A read error on every try is one message for the whole Load, not one per
    // write; the word still reaches the latch.
    void repeatedReadErrorIsOneMessagePerLoad() {
        SimulatedBoard io(kPort);
        CollectingNotifier user;
        Board access(io, user);
        io.FaultsOf(kPort).readErrors = -1;

        for (int load = 1; load <= 2; ++load) {
            const LoadOutcome outcome = access.Load(kPort, InterfaceClass::Parallel, kSteps, 1);
            QVERIFY(outcome.latched);
            QVERIFY(!outcome.verified);
            QCOMPARE(user.Messages().size(), static_cast<std::size_t>(load));
        }
        QCOMPARE(user.Messages().front(), std::string("Error reading From:888"));
        QCOMPARE(int(io.Decoder().ParallelDevice().value), 37);
        QCOMPARE(io.Decoder().ParallelDevice().loads, 2);
    }

    // A typed register address is no port: nothing is sent.
    void registerAddressSendsNothing() {
        SimulatedBoard io(kPort);
        CollectingNotifier user;
        Board access(io, user);
        for (InterfaceClass kind : {InterfaceClass::Serial, InterfaceClass::Parallel}) {
            const LoadOutcome outcome = access.Load(kPort + 2, kind, kSteps, 1);
            QVERIFY(!outcome.latched);
        }
        QVERIFY(io.Log().empty());
        QCOMPARE(user.Messages().size(), std::size_t{1});
        QVERIFY(user.Messages().front().find("37A") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(LoadTest)
#include "test_load.moc"
