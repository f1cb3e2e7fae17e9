// Number text of the attenuation display and the weight labels: the shortest
// decimal form, the locale's separator, and reading it back.

#include <QtTest>
#include <cfloat>
#include <cmath>

#include "core/NumberText.h"

namespace {

const QLocale kC = QLocale::c();
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);
// Right-to-left locales: their own digits, and a bidirectional mark before the sign.
const QLocale kArabic(QLocale::Arabic, QLocale::Egypt);
const QLocale kPersian(QLocale::Persian, QLocale::Iran);
const QLocale kHebrew(QLocale::Hebrew, QLocale::Israel);

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
        // Rounding the largest doubles to 15 digits must not overflow to "inf".
        QTest::newRow("largest double")
            << DBL_MAX << QString("179769313486231") + QString(294, '0');
        QTest::newRow("most negative double")
            << -DBL_MAX << QString("-179769313486231") + QString(294, '0');
        QTest::newRow("1e300") << 1e300 << QString("1") + QString(300, '0');
        // Its shortest text that reads back as it has one digit.
        QTest::newRow("smallest denormal") << 5e-324 << QString("0.") + QString(323, '0') + "5";
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
        QTest::newRow("Arabic mark before minus")
            << kArabic << QString::fromUtf8("\u061C-\u0665\u066B\u0662\u0665") << true << -5.25;
        QTest::newRow("Persian mark before minus sign")
            << kPersian << QString::fromUtf8("\u200E\u2212\u06F7") << true << -7.0;
        QTest::newRow("Hebrew mark before minus")
            << kHebrew << QString::fromUtf8("\u200E-0.5") << true << -0.5;
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
        for (const QLocale& locale : {kC, kEnglish, kGerman, kArabic, kPersian, kHebrew}) {
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
