// Number text of the attenuation display and the weight labels: the shortest
// decimal form, the locale's separator, and reading it back.

#include <QtTest>
#include <cmath>

#include "core/NumberText.h"

namespace {

const QLocale kC = QLocale::c();
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

} // namespace

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void shortestText_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("half") << -0.5 << "-0.5";
        QTest::newRow("integer") << -7.0 << "-7";
        QTest::newRow("15.5") << -15.5 << "-15.5";
        QTest::newRow("31.75") << -31.75 << "-31.75";
        QTest::newRow("63") << -63.0 << "-63";
        QTest::newRow("quarter") << 0.25 << "0.25";
        QTest::newRow("positive") << 63.75 << "63.75";
        QTest::newRow("15 digits at most") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("binary noise rounded away") << 0.1 + 0.2 << "0.3";
        QTest::newRow("no exponent, large") << 1e20 << "100000000000000000000";
        QTest::newRow("no exponent, small") << -1.5e-7 << "-0.00000015";
        QTest::newRow("no group separator") << 1234567.0 << "1234567";
    }

    void shortestText() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(NumberText(value, kC), text);
        QCOMPARE(NumberText(value, kEnglish), text);
    }

    void localeDecimalSeparator() {
        QCOMPARE(NumberText(-0.5, kGerman), QString("-0,5"));
        QCOMPARE(NumberText(-7.0, kGerman), QString("-7"));
        QCOMPARE(NumberText(1234.25, kGerman), QString("1234,25"));
        QCOMPARE(NumberText(-0.0, kGerman), QString("0"));
    }

    // LE memory holds single-precision values; their text must not show the
    // digits of the widened double (0.1f is 0.100000001490116...).
    void singlePrecisionText() {
        QCOMPARE(NumberTextSingle(-7.5f, kC), QString("-7.5"));
        QCOMPARE(NumberTextSingle(0.0f, kC), QString("0"));
        QCOMPARE(NumberTextSingle(-0.0f, kC), QString("0"));
        QCOMPARE(NumberTextSingle(0.1f, kC), QString("0.1"));
        QCOMPARE(NumberTextSingle(-31.75f, kGerman), QString("-31,75"));
    }

    void parse_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("C") << kC << "-7.5" << true << -7.5;
        QTest::newRow("blanks around") << kC << "  -0.25 " << true << -0.25;
        QTest::newRow("German comma") << kGerman << "-0,5" << true << -0.5;
        QTest::newRow("German integer") << kGerman << "-7" << true << -7.0;
        QTest::newRow("German reads C form") << kGerman << "-0.5" << true << -0.5;
        QTest::newRow("English comma is no decimal") << kEnglish << "1,5" << false << 0.0;
        QTest::newRow("empty") << kC << "" << false << 0.0;
        QTest::newRow("blank") << kC << "   " << false << 0.0;
        QTest::newRow("word") << kC << "Off" << false << 0.0;
        QTest::newRow("trailing junk") << kC << "3dB" << false << 0.0;
        QTest::newRow("infinity") << kC << "inf" << false << 0.0;
        QTest::newRow("nan") << kC << "nan" << false << 0.0;
    }

    void parse() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        const std::optional<double> parsed = ParseNumberText(text, locale);
        QCOMPARE(parsed.has_value(), valid);
        if (valid) {
            QCOMPARE(*parsed, value);
        }
    }

    // Every value the display can reach survives being written and read back.
    void roundTripOfReachableValues() {
        for (const QLocale& locale : {kC, kEnglish, kGerman}) {
            for (int quarters = -255; quarters <= 255; ++quarters) {
                const double value = quarters * 0.25;
                const std::optional<double> back =
                    ParseNumberText(NumberText(value, locale), locale);
                QVERIFY2(back.has_value(), qPrintable(NumberText(value, locale)));
                QCOMPARE(*back, value);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_number_text.moc"
