// The port address typed in hexadecimal: accepted forms, values and what is
// refused.

#include <QtTest>
#include <limits>

#include "core/HexAddress.h"

class TestHexAddress : public QObject {
    Q_OBJECT

private slots:
    void valid_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("LPT1") << "378" << 888;
        QTest::newRow("lower case") << "3bc" << 956;
        QTest::newRow("upper case") << "3BC" << 956;
        QTest::newRow("leading zero") << "0278" << 632;
        QTest::newRow("blanks around") << "  378\t " << 888;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("PCIe card") << "D010" << 53264;
        QTest::newRow("8000") << "8000" << 32768;
        QTest::newRow("FFFF") << "FFFF" << 65535;
        QTest::newRow("five digits") << "1D010" << 118800;
        QTest::newRow("largest positive") << "7FFFFFFF" << std::numeric_limits<int>::max();
        QTest::newRow("wraps to negative") << "80000000" << std::numeric_limits<int>::min();
        QTest::newRow("all ones") << "ffffffff" << -1;
        QTest::newRow("zeros do not count") << "000000000378" << 888;
    }

    void valid() {
        QFETCH(QString, text);
        QFETCH(int, value);
        const std::optional<int32_t> parsed = ParseHexAddress(text);
        QVERIFY(parsed.has_value());
        QCOMPARE(*parsed, value);
    }

    void invalid_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("C prefix") << "0x378";
        QTest::newRow("basic prefix") << "&H378";
        QTest::newRow("suffix") << "378H";
        QTest::newRow("minus") << "-378";
        QTest::newRow("plus") << "+378";
        QTest::newRow("inner blank") << "37 8";
        QTest::newRow("stray character") << "37x";
        QTest::newRow("nine digits") << "100000000";
        QTest::newRow("too large") << "FFFFFFFFF";
        QTest::newRow("full-width digits") << QString::fromUtf8("\xEF\xBC\x93\xEF\xBC\x97");
        QTest::newRow("decimal point") << "37.8";
    }

    void invalid() {
        QFETCH(QString, text);
        QCOMPARE(ParseHexAddress(text), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestHexAddress)
#include "test_hex_address.moc"
