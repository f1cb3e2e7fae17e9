// A board driven through the core's session: what each device latches for a
// word, what the session remembers per LE line, and what it says when the
// port is missing or unusable.

#include <QtTest>

#include "core/Board.h"
#include "core/BoardSession.h"
#include "core/CollectingNotifier.h"
#include "core/ControlWord.h"
#include "core/ModelProfile.h"
#include "port/SimulatedBoard.h"

namespace {

constexpr int32_t kBase = 0x378;

// A session on a simulated board at kBase (or at `address`).
struct Bench {
    explicit Bench(int32_t address = kBase) : session(access, address) {}
    SimulatedBoard port{kBase};
    CollectingNotifier notifier;
    Board access{port, notifier};
    BoardSession session;
};

} // namespace

class TestBoardSession : public QObject {
    Q_OBJECT

private slots:
    void serialWordsLatchOnTheChosenLine() {
        Bench bench;
        auto& [port, notifier, access, session] = bench;
        session.SelectModel(FindModel("VK58-Q5-S1"));
        QVERIFY(session.SetLe(3));
        const auto result = session.LoadWord(0b001110);
        QVERIFY(result.outcome.latched);
        QVERIFY(result.outcome.verified);
        QCOMPARE(port.Decoder().SerialDevice(3).value, uint8_t{0b001110});
        QCOMPARE(port.Decoder().SerialDevice(1).loads, 0);
        QCOMPARE(session.LoadedWord(3), std::optional<ControlWord>(0b001110));
        QCOMPARE(session.LoadedOnSelection(), std::optional<ControlWord>(0b001110));
        QVERIFY(!session.LoadedWord(1));
        QCOMPARE(port.Register(kBase), uint8_t{0}); // the LE pulse ended
    }

    void leLinesOutsideOneToSixAreRefused() {
        Bench bench;
        auto& [port, notifier, access, session] = bench;
        QVERIFY(!session.SetLe(0));
        QVERIFY(!session.SetLe(7));
        QCOMPARE(session.Le(), 1);
    }

    void parallelWordsPutTheSeventhStepOnD7() {
        Bench bench;
        auto& [port, notifier, access, session] = bench;
        const ModelProfile* model = FindModel("VK58-Q7-P1");
        QVERIFY(model && model->IsParallel());
        session.SelectModel(model);
        const ControlWord word = 0b1000101; // 0.25 + 0.5 + 2 dB
        QVERIFY(session.LoadWord(word).outcome.latched);
        QCOMPARE(port.Decoder().ParallelDevice().value, ParallelLinesOfWord(word));
        QCOMPARE(WordOfParallelLines(port.Decoder().ParallelDevice().value), word);
        QCOMPARE(AttenuationOf(*model, word), 2.75);
        QCOMPARE(session.LoadedParallelWord(), std::optional<ControlWord>(word));
        QCOMPARE(port.Register(kBase), ParallelLinesOfWord(word)); // the word stays on the lines
    }

    void noPortSendsNothing() {
        Bench bench(0);
        auto& [port, notifier, access, session] = bench;
        for (const char* model : {"VK58-Q5-S1", "VK58-Q5-P1"}) {
            session.SelectModel(FindModel(model));
            const auto result = session.LoadWord(1);
            QVERIFY(!result.outcome.latched);
            QVERIFY(!result.outcome.verified);
            QCOMPARE(result.problem, PortProblem::NotListed);
        }
        QVERIFY(port.Log().empty());
        QCOMPARE(notifier.Beeps(), 0);
    }

    void anUnusablePortSaysWhy() {
        Bench bench;
        auto& [port, notifier, access, session] = bench;
        port.FaultsOf(kBase).unavailable = true;
        port.FaultsOf(kBase).problem = PortProblem::NoPermission;
        session.SelectModel(FindModel("1"));
        const auto result = session.LoadWord(3);
        QVERIFY(!result.outcome.latched);
        QCOMPARE(result.problem, PortProblem::NoPermission);
        QVERIFY(!result.reason.empty());
        QVERIFY(!session.LoadedWord(1));
    }

    void aWriteThatNeverVerifiesIsReported() {
        Bench bench;
        auto& [port, notifier, access, session] = bench;
        port.FaultsOf(kBase).stuckHigh = 0x80; // LE6 reads back high
        session.SelectModel(FindModel("1"));
        const auto result = session.LoadWord(0);
        QVERIFY(!result.outcome.verified);
        QCOMPARE(result.problem, PortProblem::None);
    }

    void resetForgetsEverything() {
        Bench bench;
        auto& [port, notifier, access, session] = bench;
        session.SelectModel(FindModel("1"));
        session.SetLe(2);
        session.LoadWord(1);
        port.ClearLog();
        session.Reset();
        QVERIFY(session.Model() == nullptr);
        QCOMPARE(session.Le(), 1);
        QVERIFY(!session.LoadedWord(2));
        QVERIFY(port.Log().empty()); // nothing sent
    }
};

QTEST_GUILESS_MAIN(TestBoardSession)
#include "test_board_session.moc"
