// The help text: total length, line structure and the exact blanks.

#include <QtTest>

#include "window/HelpText.h"

class TestHelpText : public QObject {
    Q_OBJECT

private slots:
    void lengthAndLineBreaks() {
        const QString& text = HelpText();
        QCOMPARE(text.size(), 1426);
        QVERIFY(text.startsWith("\r\n"));
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(text.count("\r\n"), 22);
        QCOMPARE(text.count('\r'), 22);
        QCOMPARE(text.count('\n'), 22);
    }

    void lines_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("expected");
        const auto blanks = [](int n) { return QString(n, ' '); };
        QTest::newRow("1") << 1 << "";
        QTest::newRow("2") << 2
                           << "1.  Make sure to connect the test board to LPT output of the PC "
                              "(parallel output ";
        QTest::newRow("4") << 4
                           << blanks(5) + "Also put The Port/IO  address (Hex)  - default is 378H" +
                                  blanks(3);
        QTest::newRow("5") << 5 << blanks(31);
        QTest::newRow("7") << 7 << blanks(6) + "run install driver from InpOutBinaries_1500.zip";
        QTest::newRow("8") << 8 << blanks(119);
        QTest::newRow("9") << 9 << "3.  Choose from list the KTN model." + blanks(67);
        QTest::newRow("13") << 13
                            << blanks(5) + "the same button (color will turn black) ." + blanks(57);
        QTest::newRow("20") << 20
                            << "7. To control more than one  KTN , use the LE select option. "
                               "select the  ";
        QTest::newRow("22") << 22 << blanks(24);
    }

    void lines() {
        QFETCH(int, line);
        QFETCH(QString, expected);
        const QStringList lines = HelpText().split("\r\n");
        QCOMPARE(lines.size(), 23); // the text ends with a line break
        QCOMPARE(lines.at(line - 1), expected);
    }
};

QTEST_GUILESS_MAIN(TestHelpText)
#include "test_help_text.moc"
