// Walking a timed sequence step by step: the same values, cycles and absolute
// deadlines that RunSequence waits for.

#include <QtTest>

#include "core/Sequence.h"

using namespace std::chrono_literals;

namespace {

const auto kStart = std::chrono::steady_clock::time_point(100s);

// Three values 10 ms apart: a tolerance of 0.5 ms.
SequencePlan ThreeValues() {
    SequencePlan plan;
    plan.values = {1.0, 2.0, 3.0};
    plan.dwell = 10ms;
    return plan;
}

} // namespace

class SequenceCursorTest : public QObject {
    Q_OBJECT

private slots:
    void stepsAndDeadlines() {
        SequencePlan plan;
        plan.values = {3.0, 1.0, 2.0};
        plan.dwell = 10ms;
        plan.repeat = 2;
        const auto start = std::chrono::steady_clock::time_point(100s);
        SequenceCursor cursor(plan, start);
        std::vector<double> seen;
        std::size_t number = 0;
        for (; !cursor.AtEnd(); cursor.Advance(), ++number) {
            const SequenceStep& step = cursor.Step();
            QCOMPARE(step.number, number);
            QCOMPARE(step.index, number % 3);
            QCOMPARE(step.cycle, long(number / 3));
            QVERIFY(step.planned == start + 10ms * static_cast<long long>(number));
            seen.push_back(step.db);
        }
        QCOMPARE(seen, (std::vector<double>{3, 1, 2, 3, 1, 2}));
        // The last value keeps its dwell.
        QVERIFY(cursor.End() == start + 60ms);
        cursor.Advance();
        QVERIFY(cursor.AtEnd());
        QVERIFY(cursor.End() == start + 60ms);
    }

    // A step late by more than the tolerance moves the later deadlines by its
    // lateness; a step within it moves nothing.
    void lateStepsSlipTheSchedule_data() {
        QTest::addColumn<int>("lateUs");
        QTest::addColumn<int>("slipUs");
        QTest::newRow("on time") << 0 << 0;
        QTest::newRow("within the tolerance") << 500 << 0;
        QTest::newRow("just past it") << 501 << 501;
        QTest::newRow("half a second") << 500000 << 500000;
    }

    void lateStepsSlipTheSchedule() {
        QFETCH(int, lateUs);
        QFETCH(int, slipUs);
        SequenceCursor cursor(ThreeValues(), kStart);
        const auto start = kStart;
        cursor.Started(start);
        cursor.Advance();
        cursor.Started(start + 10ms + std::chrono::microseconds(lateUs));
        QVERIFY(cursor.Step().late == std::chrono::microseconds(lateUs));
        cursor.Advance();
        const auto slip = std::chrono::microseconds(slipUs);
        QVERIFY(cursor.Step().planned == start + 20ms + slip);
        cursor.Advance();
        QVERIFY(cursor.End() == start + 30ms + slip);
        QCOMPARE(cursor.Lateness().lateSteps, std::size_t(slipUs > 0 ? 1 : 0));
        QVERIFY(cursor.Lateness().most == std::chrono::nanoseconds(slip));
        QVERIFY(cursor.Lateness().slip == std::chrono::nanoseconds(slip));
    }

    // A Load that takes longer than the run's quickest by more than the
    // tolerance (stopped in the middle) latched late: the later deadlines move
    // by the excess, and a step late at its start too counts once.
    void overlongLoadsSlipTheSchedule_data() {
        QTest::addColumn<int>("lateUs");
        QTest::addColumn<int>("extraUs");
        QTest::addColumn<int>("slipUs");
        QTest::addColumn<int>("mostUs");
        QTest::newRow("as quick as the first") << 0 << 0 << 0 << 0;
        QTest::newRow("within the tolerance") << 0 << 500 << 0 << 0;
        QTest::newRow("just past it") << 0 << 501 << 501 << 501;
        QTest::newRow("stopped for 300 ms") << 0 << 300000 << 300000 << 300000;
        QTest::newRow("late and overlong") << 1000 << 2000 << 3000 << 3000;
    }

    void overlongLoadsSlipTheSchedule() {
        QFETCH(int, lateUs);
        QFETCH(int, extraUs);
        QFETCH(int, slipUs);
        QFETCH(int, mostUs);
        using std::chrono::microseconds;
        SequenceCursor cursor(ThreeValues(), kStart);
        const auto start = kStart;
        cursor.Started(start);
        cursor.Loaded(start + 40us);
        cursor.Advance();
        const auto second = start + 10ms + microseconds(lateUs);
        cursor.Started(second);
        cursor.Loaded(second + 40us + microseconds(extraUs));
        cursor.Advance();
        QVERIFY(cursor.Step().planned == start + 20ms + microseconds(slipUs));
        // The next step knows how late the one before latched (for --max-late).
        QVERIFY(cursor.Step().latchedLateBefore ==
                microseconds(slipUs - (lateUs > 500 ? lateUs : 0)));
        QCOMPARE(cursor.Lateness().lateSteps, std::size_t(slipUs > 0 ? 1 : 0));
        QVERIFY(cursor.Lateness().most == microseconds(mostUs));
        QVERIFY(cursor.Lateness().slip == microseconds(slipUs));
    }

    void endlessAndEmptyPlans() {
        SequencePlan endless;
        endless.values = {1.0, 2.0};
        endless.dwell = 1ms;
        endless.repeat = 0;
        SequenceCursor cursor(endless, std::chrono::steady_clock::time_point{});
        for (int i = 0; i < 1001; ++i) {
            QVERIFY(!cursor.AtEnd());
            cursor.Advance();
        }
        QCOMPARE(cursor.Step().cycle, 500L);
        QCOMPARE(cursor.Step().db, 2.0);

        SequenceCursor empty(SequencePlan{}, std::chrono::steady_clock::time_point{});
        QVERIFY(empty.AtEnd());
    }

    void runSequenceKeepsItsOrder() {
        SequencePlan plan;
        plan.values = {5.0, 6.0};
        plan.repeat = 2;
        std::atomic<bool> stop{false};
        std::vector<double> loaded;
        const SequenceEnd end = RunSequence(plan, stop, [&](const SequenceStep& step) {
            loaded.push_back(step.db);
            return step.number < 2;
        });
        QCOMPARE(int(end), int(SequenceEnd::Failed));
        QCOMPARE(loaded, (std::vector<double>{5, 6, 5}));
    }
};

QTEST_APPLESS_MAIN(SequenceCursorTest)
#include "test_sequence_cursor.moc"
