// How command lines are cut into units, headers, parameters and numbers.

#include <QtTest>

#include "server/ScpiSyntax.h"

using namespace scpi;

class ScpiSyntaxTest : public QObject {
    Q_OBJECT

private slots:
    void unitsSplitAtSemicolonsOutsideQuotes() {
        QCOMPARE(SplitUnits("ATT 7;LE?"), (QList<QByteArray>{"ATT 7", "LE?"}));
        QCOMPARE(SplitUnits("MOD \"A;B\";*IDN?"), (QList<QByteArray>{"MOD \"A;B\"", "*IDN?"}));
        QCOMPARE(SplitUnits("MOD 'x''y;z'"), (QList<QByteArray>{"MOD 'x''y;z'"}));
        QCOMPARE(SplitUnits("  ;ATT 7; ;"), (QList<QByteArray>{"ATT 7"}));
        QVERIFY(SplitUnits("").isEmpty());
    }

    void headersAndParameters() {
        const MessageUnit att = ParseUnit("att 7 dB");
        QCOMPARE(att.nodes, (QList<QByteArray>{"ATT"}));
        QVERIFY(!att.query && !att.common && !att.absolute && att.error == 0);
        QCOMPARE(att.params, (QList<QByteArray>{"7 dB"}));

        const MessageUnit err = ParseUnit(":syst:ERR:next?");
        QCOMPARE(err.nodes, (QList<QByteArray>{"SYST", "ERR", "NEXT"}));
        QVERIFY(err.query && err.absolute && err.params.isEmpty());

        const MessageUnit idn = ParseUnit("*idn?");
        QVERIFY(idn.common && idn.query);
        QCOMPARE(idn.nodes, (QList<QByteArray>{"*IDN"}));

        const MessageUnit list = ParseUnit("SWE:LIST 1, 2.5 ,\"a,b\"\t");
        QCOMPARE(list.params, (QList<QByteArray>{"1", "2.5", "\"a,b\""}));
    }

    void syntaxErrors_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty parameter") << QByteArray("SWE:LIST 1,,2");
        QTest::newRow("trailing comma") << QByteArray("SWE:LIST 1,");
        QTest::newRow("open quote") << QByteArray("MOD \"VK58");
        QTest::newRow("empty node") << QByteArray("SYST::ERR?");
        QTest::newRow("question mark inside") << QByteArray("ATT?:RES?");
        QTest::newRow("bad character") << QByteArray("AT$T 7");
        QTest::newRow("common with nodes") << QByteArray("*IDN:X?");
        QTest::newRow("bare colon") << QByteArray(":");
    }
    void syntaxErrors() {
        QFETCH(QByteArray, text);
        QCOMPARE(ParseUnit(text).error, -102);
    }

    void aBadQueryStillCountsAsAQuery() {
        QVERIFY(ParseUnit("AT$T?").query);
    }

    void mnemonicsMatchTheirShortAndLongForms() {
        QVERIFY(MatchesMnemonic("ATT", "ATTenuation"));
        QVERIFY(MatchesMnemonic("ATTENUATION", "ATTenuation"));
        QVERIFY(!MatchesMnemonic("ATTEN", "ATTenuation"));
        QVERIFY(!MatchesMnemonic("AT", "ATTenuation"));
        QVERIFY(MatchesMnemonic("LE", "LE"));
    }

    void quotedStrings() {
        QCOMPARE(Unquote("\"VK58-Q5-S1\""), std::optional<QByteArray>("VK58-Q5-S1"));
        QCOMPARE(Unquote("'it''s'"), std::optional<QByteArray>("it's"));
        QCOMPARE(Unquote("VK58"), std::nullopt);
        QCOMPARE(Unquote("\"a\"b\""), std::nullopt);
    }

    void numbers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("suffix");
        QTest::addColumn<double>("value");
        const int db = static_cast<int>(Suffix::Decibel);
        const int s = static_cast<int>(Suffix::Second);
        QTest::newRow("7") << QByteArray("7") << db << 7.0;
        QTest::newRow("7.0") << QByteArray("7.0") << db << 7.0;
        QTest::newRow("7E0") << QByteArray("7E0") << db << 7.0;
        QTest::newRow("7e-1") << QByteArray("7e-1") << db << 0.7;
        QTest::newRow("+.5") << QByteArray("+.5") << db << 0.5;
        QTest::newRow("7DB") << QByteArray("7DB") << db << 7.0;
        QTest::newRow("7 db") << QByteArray("7 db") << db << 7.0;
        QTest::newRow("-3") << QByteArray("-3") << db << -3.0;
        QTest::newRow("0.02") << QByteArray("0.02") << s << 0.02;
        QTest::newRow("20MS") << QByteArray("20MS") << s << 0.02;
        QTest::newRow("0.5 s") << QByteArray("0.5 s") << s << 0.5;
        QTest::newRow("250us") << QByteArray("250us") << s << 0.00025;
        QTest::newRow("#H1F") << QByteArray("#H1F") << static_cast<int>(Suffix::None) << 31.0;
        QTest::newRow("#b1110") << QByteArray("#b1110") << static_cast<int>(Suffix::None) << 14.0;
        QTest::newRow("#Q17") << QByteArray("#Q17") << static_cast<int>(Suffix::None) << 15.0;
    }
    void numbers() {
        QFETCH(QByteArray, text);
        QFETCH(int, suffix);
        QFETCH(double, value);
        int error = 99;
        const std::optional<Number> number = ParseNumber(text, static_cast<Suffix>(suffix), error);
        QVERIFY(number);
        QCOMPARE(error, 0);
        QCOMPARE(int(number->kind), int(Number::Kind::Value));
        QVERIFY(qAbs(number->value - value) < 1e-12);
    }

    void keywords() {
        int error = 0;
        QCOMPARE(int(ParseNumber("min", Suffix::Decibel, error)->kind), int(Number::Kind::Minimum));
        QCOMPARE(int(ParseNumber("MAXimum", Suffix::Decibel, error)->kind),
                 int(Number::Kind::Maximum));
        QCOMPARE(int(ParseNumber("INF", Suffix::None, error)->kind), int(Number::Kind::Infinity));
    }

    void badNumbers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("suffix");
        QTest::addColumn<int>("error");
        const int db = static_cast<int>(Suffix::Decibel);
        QTest::newRow("word") << QByteArray("abc") << db << -104;
        QTest::newRow("two numbers") << QByteArray("7 7") << db << -104;
        QTest::newRow("comma decimal") << QByteArray("7,5") << db << -104;
        QTest::newRow("volts") << QByteArray("7V") << db << -131;
        QTest::newRow("seconds on dB") << QByteArray("7MS") << db << -131;
        QTest::newRow("dB on seconds") << QByteArray("1DB") << static_cast<int>(Suffix::Second) << -131;
        QTest::newRow("dB on a count") << QByteArray("3DB") << static_cast<int>(Suffix::None) << -131;
        QTest::newRow("bad hex") << QByteArray("#HXYZ") << db << -104;
        QTest::newRow("string") << QByteArray("\"7\"") << db << -104;
    }
    void badNumbers() {
        QFETCH(QByteArray, text);
        QFETCH(int, suffix);
        QFETCH(int, error);
        int found = 0;
        QVERIFY(!ParseNumber(text, static_cast<Suffix>(suffix), found));
        QCOMPARE(found, error);
    }
};

QTEST_APPLESS_MAIN(ScpiSyntaxTest)
#include "test_scpi_syntax.moc"
