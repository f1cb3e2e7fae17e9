// One Load as every front end runs it: what reaches the board and the user when
// the port fails part way.

#include <QtTest>

#include "core/CollectingNotifier.h"
#include "core/Load.h"
#include "port/PortAccess.h"
#include "port/SimulatedBoard.h"

namespace {

constexpr int32_t kPort = 0x378;

// Steps 0, 2 and 5 on.
constexpr StepStates kSteps = {true, false, true, false, false, true, false};

} // namespace

class LoadTest : public QObject {
    Q_OBJECT

private slots:
    // A read error on every try is one message for the whole Load, not one per
    // write; the word still reaches the latch.
    void repeatedReadErrorIsOneMessagePerLoad() {
        SimulatedPort io(kPort);
        CollectingNotifier user;
        PortAccess access(io, user);
        io.FaultsOf(kPort).readErrors = -1;
        LeMemoryTable memory{};

        for (int load = 1; load <= 2; ++load) {
            const LoadOutcome outcome =
                Load(access, kPort, InterfaceClass::Parallel, kSteps, 1, -1.0f, memory);
            QVERIFY(outcome.latched);
            QVERIFY(!outcome.verified);
            QCOMPARE(user.Messages().size(), static_cast<std::size_t>(load));
        }
        QCOMPARE(user.Messages().front(), std::string("Error reading From:888"));
        QCOMPARE(int(io.Board().ParallelDevice().value), 37);
        QCOMPARE(io.Board().ParallelDevice().loads, 2);
    }

    // A typed register address is no port: nothing is sent, nothing recorded.
    void registerAddressSendsNothing() {
        SimulatedPort io(kPort);
        CollectingNotifier user;
        PortAccess access(io, user);
        LeMemoryTable memory{};
        for (InterfaceClass kind : {InterfaceClass::Serial, InterfaceClass::Parallel}) {
            const LoadOutcome outcome = Load(access, kPort + 2, kind, kSteps, 1, -1.0f, memory);
            QVERIFY(!outcome.latched);
        }
        QVERIFY(io.Log().empty());
        QCOMPARE(memory, LeMemoryTable{});
        QCOMPARE(user.Messages().size(), std::size_t{1});
        QVERIFY(user.Messages().front().find("37A") != std::string::npos);
    }
};

QTEST_GUILESS_MAIN(LoadTest)
#include "test_load.moc"
