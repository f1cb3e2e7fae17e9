// Messages a peer can trigger: the first printed at once, the rest of its
// second held back and counted, the count printed once the second is over.

#include <QtTest>

#include "server/LogLimit.h"

using namespace std::chrono_literals;

class LogLimitTest : public QObject {
    Q_OBJECT

private slots:
    void aFloodBecomesOneLineASecond() {
        LogLimit limit;
        const LogLimit::Clock::time_point start{};
        QCOMPARE(limit.Offer("a", start + 10s), QStringList{"a"});
        for (int i = 0; i < 1000; ++i) {
            QVERIFY(limit.Offer("b", start + 10s + i * 1ms).isEmpty());
        }
        QVERIFY(limit.Holding());
        // Not before the second is over.
        QVERIFY(limit.Flush(start + 10s + 999ms).isEmpty());
        QCOMPARE(limit.Flush(start + 11s),
                 QStringList{"b (1000 such lines held back in the last second)"});
        QVERIFY(!limit.Holding());
        // The summary had its second: the next line waits for the one after.
        QVERIFY(limit.Offer("c", start + 11500ms).isEmpty());
        QCOMPARE(limit.Offer("d", start + 12s),
                 QStringList({"c (1 such lines held back in the last second)", "d"}));
    }

    void aQuietLogPrintsEveryLine() {
        LogLimit limit;
        const LogLimit::Clock::time_point start{};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(limit.Offer("x", start + i * 2s), QStringList{"x"});
        }
        QVERIFY(limit.Flush(start + 20s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(LogLimitTest)
#include "test_log_limit.moc"
