// Timed sequences: the values of a sweep, the order and deadlines of a run, and
// how a run ends (completed, stopped, or ended by a failed step).

#include <QtTest>
#include <atomic>
#include <thread>
#include <vector>

#include "core/Sequence.h"

using namespace std::chrono_literals;

class TestSequence : public QObject {
    Q_OBJECT

private slots:
    void sweepValues_data() {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("step");
        QTest::addColumn<QList<double>>("expected");
        QTest::newRow("up") << 0.0 << 3.0 << 1.0 << QList<double>{0, 1, 2, 3};
        QTest::newRow("down") << 3.0 << 0.0 << 1.0 << QList<double>{3, 2, 1, 0};
        QTest::newRow("quarter steps")
            << 0.0 << 1.0 << 0.25 << QList<double>{0, 0.25, 0.5, 0.75, 1};
        QTest::newRow("step past the end") << 0.0 << 1.0 << 0.3 << QList<double>{0, 0.3, 0.6, 0.9};
        QTest::newRow("one value") << 7.0 << 7.0 << 0.5 << QList<double>{7};
        // 0.1 does not add up exactly in binary; the run still ends on 1.
        QTest::newRow("decimal step")
            << 0.0 << 1.0 << 0.1
            << QList<double>{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1};
    }

    void sweepValues() {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, step);
        QFETCH(QList<double>, expected);
        const auto values = SweepValues(from, to, step);
        QVERIFY(values.has_value());
        QCOMPARE(values->size(), static_cast<std::size_t>(expected.size()));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QVERIFY2(qAbs(values->at(static_cast<std::size_t>(i)) - expected[i]) < 1e-12,
                     qPrintable(QString::number(i)));
        }
        QCOMPARE(values->back(), expected.back());
    }

    void sweepValuesRefused() {
        QVERIFY(!SweepValues(0, 10, 0));
        QVERIFY(!SweepValues(0, 10, -1));
        QVERIFY(!SweepValues(0, 10, std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(!SweepValues(0, 1e9, 1e-3)); // far too many values
        QVERIFY(SweepValues(0, 99, 1, 100));
        QVERIFY(!SweepValues(0, 100, 1, 100));
    }

    void runVisitsEveryValueOnItsDeadline() {
        SequencePlan plan{{1, 2, 3}, 2ms, 2};
        std::atomic<bool> stop{false};
        std::vector<SequenceStep> steps;
        const SequenceEnd end = RunSequence(plan, stop, [&](SequenceStep& step) {
            // The Load takes no time here; keeping the record is no part of it.
            step.loaded = step.actual;
            steps.push_back(step);
            return true;
        });
        QCOMPARE(end, SequenceEnd::Completed);
        QCOMPARE(steps.size(), std::size_t{6});
        // A busy machine may make a step late, which moves the later deadlines.
        std::chrono::nanoseconds slipped{0};
        std::chrono::nanoseconds firstSlip{0};
        for (std::size_t n = 0; n < steps.size(); ++n) {
            QCOMPARE(steps[n].number, n);
            QCOMPARE(steps[n].index, n % 3);
            QCOMPARE(steps[n].cycle, static_cast<long>(n / 3));
            QCOMPARE(steps[n].db, plan.values[n % 3]);
            if (steps[n].late > LatenessTolerance(plan.dwell)) {
                slipped += steps[n].late;
            }
            if (n == 0) {
                firstSlip = slipped;
            }
            // Deadlines are counted from the start, never from the previous step.
            QCOMPARE(steps[n].planned - steps[0].planned,
                     plan.dwell * static_cast<long long>(n) + slipped - firstSlip);
            QVERIFY(steps[n].actual >= steps[n].planned);
        }
    }

    // A step that overran its dwell makes the run slip: the next steps keep
    // their dwell instead of following at once, and the lateness is reported.
    void aSlowStepMakesTheRunSlip() {
        SequencePlan plan{{1, 2, 3, 4}, 3ms, 1};
        std::atomic<bool> stop{false};
        std::vector<SequenceStep> steps;
        SequenceLateness lateness;
        RunSequence(
            plan, stop,
            [&](const SequenceStep& step) {
                steps.push_back(step);
                if (step.number == 1) {
                    std::this_thread::sleep_for(10ms); // overruns two dwells
                }
                return true;
            },
            &lateness);
        QCOMPARE(steps.size(), std::size_t{4});
        const auto tolerance = LatenessTolerance(3ms);
        QCOMPARE(tolerance, std::chrono::nanoseconds(300us));
        QVERIFY(steps[2].actual - steps[1].actual >= 10ms);
        QVERIFY(steps[3].actual - steps[2].actual >= 3ms - tolerance);
        // Between slips the deadlines stay a dwell apart, from the moved start.
        QVERIFY(steps[3].planned - steps[2].planned >= 3ms);
        QVERIFY(lateness.lateSteps >= 1);
        QVERIFY(lateness.most >= 6ms);
        QCOMPARE(lateness.slip,
                 std::chrono::nanoseconds(steps[3].planned - steps[0].planned - 9ms));
    }

    void stopEndsAfterTheStepUnderWay() {
        SequencePlan plan{{1, 2, 3}, 1ms, 0}; // until stopped
        std::atomic<bool> stop{false};
        int calls = 0;
        const SequenceEnd end = RunSequence(plan, stop, [&](const SequenceStep&) {
            if (++calls == 5) {
                stop = true;
            }
            return true;
        });
        QCOMPARE(end, SequenceEnd::Stopped);
        QCOMPARE(calls, 5);
    }

    void aFailedStepEndsTheRun() {
        SequencePlan plan{{1, 2, 3}, 0ms, 1};
        std::atomic<bool> stop{false};
        int calls = 0;
        const SequenceEnd end =
            RunSequence(plan, stop, [&](const SequenceStep&) { return ++calls < 2; });
        QCOMPARE(end, SequenceEnd::Failed);
        QCOMPARE(calls, 2);
    }

    void waitUntilGivesUpWhenStopped() {
        std::atomic<bool> stop{true};
        QVERIFY(!WaitUntil(std::chrono::steady_clock::now() + 10s, stop));
        stop = false;
        QVERIFY(WaitUntil(std::chrono::steady_clock::now() - 1ms, stop));
    }
};

QTEST_GUILESS_MAIN(TestSequence)
#include "test_sequence.moc"
