// The server's copy-free line path gives what the plain one gives: units
// parsed in place, number replies, and reply lines collected into one batch.

#include <QtTest>
#include <random>

#include "InstrumentHarness.h"
#include "core/NumberText.h"
#include "server/CommandCall.h"
#include "server/ScpiSyntax.h"

using namespace scpi;

class ReplyBatchTest : public QObject {
    Q_OBJECT

private slots:
    void borrowedUnitsEqualCopiedOnes_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("lower case with suffix") << QByteArray("att 7 dB");
        QTest::newRow("absolute query") << QByteArray(":syst:ERR:next?");
        QTest::newRow("common") << QByteArray("*idn?");
        QTest::newRow("list with quotes") << QByteArray("SWE:LIST 1, 2.5 ,\"a,b\"\t");
        QTest::newRow("doubled quote") << QByteArray("MOD 'x''y;z'");
        QTest::newRow("empty node") << QByteArray("SYST::ERR?");
        QTest::newRow("empty parameter") << QByteArray("SWE:LIST 1,,2");
        QTest::newRow("bad character query") << QByteArray("AT$T?");
    }
    void borrowedUnitsEqualCopiedOnes() {
        QFETCH(QByteArray, text);
        const MessageUnit copied = ParseUnit(text);
        MessageUnit borrowed;
        ParseUnitBorrowed(text, borrowed);
        QCOMPARE(borrowed.error, copied.error);
        QCOMPARE(borrowed.query, copied.query);
        QCOMPARE(borrowed.common, copied.common);
        QCOMPARE(borrowed.absolute, copied.absolute);
        if (copied.error == 0) {
            QCOMPARE(borrowed.nodes, copied.nodes);
            QCOMPARE(borrowed.params, copied.params);
        }
    }

    void unitViewsSplitAsUnits() {
        const QByteArray line = "  ;MOD \"A;B\" ;*idn?; ;ATT 7;";
        UnitViews views;
        SplitUnitViews(line, views);
        QList<QByteArray> texts;
        for (const QByteArrayView view : views) {
            texts.append(view.toByteArray());
        }
        QCOMPARE(texts, SplitUnits(line));
        QCOMPARE(texts.size(), 3);
    }

    // Replies must read exactly as the numbers the window and dsactl show.
    void numberRepliesMatchNumberText_data() {
        QTest::addColumn<double>("value");
        for (const double value : {0.0, -0.0, 7.0, 7.5, -0.25, 31.75, 0.1 + 0.2, 1.0 / 3.0, 2.675,
                                   1e-7, 123456789012.5, 1e20, 4.9e-324, 1e300}) {
            QTest::addRow("%.17g", value) << value;
        }
    }
    void numberRepliesMatchNumberText() {
        QFETCH(double, value);
        QCOMPARE(NumberReply(value), NumberText(value, QLocale::c()).toLatin1());
    }
    void numberRepliesMatchNumberTextOverARange() {
        std::mt19937_64 random(5025);
        std::uniform_real_distribution<double> spread(-200.0, 200.0);
        for (int i = 0; i < 4000; ++i) {
            const double step = (i - 2000) * 0.05;
            const double any = spread(random);
            QCOMPARE(NumberReply(step), NumberText(step, QLocale::c()).toLatin1());
            QCOMPARE(NumberReply(any), NumberText(any, QLocale::c()).toLatin1());
        }
    }

    void repliesOfABatchGoBehindEachOther() {
        InstrumentHarness h;
        QByteArray replies = "earlier\n";
        QVERIFY(!h.instrument.ExecuteInto(h.client, "MOD 5;LE 1;ATT 7", replies));
        QCOMPARE(replies, QByteArray("earlier\n"));
        QVERIFY(h.instrument.ExecuteInto(h.client, "ATT?;LE?", replies));
        // A failed query leaves no empty field; a line of failed queries an empty line.
        QVERIFY(h.instrument.ExecuteInto(h.client, "ATT? FOO;ATT?", replies));
        QVERIFY(h.instrument.ExecuteInto(h.client, "ATT? FOO", replies));
        QCOMPARE(replies, QByteArray("earlier\n7;1\n7\n\n"));
        QCOMPARE(h.Run("ATT?"), std::optional<QByteArray>("7"));
    }
};

QTEST_APPLESS_MAIN(ReplyBatchTest)
#include "test_reply_batch.moc"
