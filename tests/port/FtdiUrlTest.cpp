#include <QtTest>

#include "port/FtdiUrl.h"

Q_DECLARE_METATYPE(FtdiUrlError)

class FtdiUrlTest : public QObject {
    Q_OBJECT

private slots:
    void goodAddresses_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("product"); // -1: any FTDI product
        QTest::addColumn<QString>("serial");

        QTest::newRow("FT232H") << "ftdi://ftdi:232h/1" << 0x0403 << 0x6014 << "";
        QTest::newRow("FT2232H") << "ftdi://ftdi:2232h/1" << 0x0403 << 0x6010 << "";
        QTest::newRow("FT232R") << "ftdi://ftdi:232r/1" << 0x0403 << 0x6001 << "";
        QTest::newRow("FT4232H") << "ftdi://ftdi:4232h/1" << 0x0403 << 0x6011 << "";
        QTest::newRow("chip name in capitals") << "ftdi://FTDI:232H/1" << 0x0403 << 0x6014 << "";
        QTest::newRow("ids in hex") << "ftdi://0403:6014/1" << 0x0403 << 0x6014 << "";
        QTest::newRow("other vendor") << "ftdi://1a2B:00fe/1" << 0x1a2b << 0x00fe << "";
        QTest::newRow("serial only") << "ftdi://::FT5XYZ12/1" << 0x0403 << -1 << "FT5XYZ12";
        QTest::newRow("chip and serial") << "ftdi://ftdi:232h:FT5XYZ12/1" << 0x0403 << 0x6014 << "FT5XYZ12";
        QTest::newRow("no interface") << "ftdi://ftdi:232h" << 0x0403 << 0x6014 << "";
        QTest::newRow("empty interface") << "ftdi://ftdi:232h/" << 0x0403 << 0x6014 << "";
        QTest::newRow("vendor only") << "ftdi://ftdi/1" << 0x0403 << -1 << "";
        QTest::newRow("nothing named") << "ftdi:///1" << 0x0403 << -1 << "";
        QTest::newRow("empty serial") << "ftdi://ftdi:2232h:/1" << 0x0403 << 0x6010 << "";
    }
    void goodAddresses() {
        QFETCH(QString, url);
        QFETCH(int, vendor);
        QFETCH(int, product);
        QFETCH(QString, serial);

        const FtdiUrlResult result = ParseFtdiUrl(url.toStdString());
        QVERIFY2(result.Ok(), result.message.c_str());
        QCOMPARE(int(result.address.vendor), vendor);
        QCOMPARE(result.address.product ? int(*result.address.product) : -1, product);
        QCOMPARE(QString::fromStdString(result.address.serial), serial);
        QCOMPARE(result.address.interface, 1);
        QVERIFY(result.message.empty());
    }

    // Each bad address fails for its own reason, and the message quotes the
    // address and names the part that is wrong.
    void badAddresses_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<FtdiUrlError>("error");
        QTest::addColumn<QString>("named");

        QTest::newRow("no scheme") << "ftdi:232h/1" << FtdiUrlError::NotFtdi << "ftdi://";
        QTest::newRow("other scheme") << "usb://ftdi:232h/1" << FtdiUrlError::NotFtdi << "ftdi://";
        QTest::newRow("parallel port address") << "0x378" << FtdiUrlError::NotFtdi << "ftdi://";
        QTest::newRow("four fields") << "ftdi://ftdi:232h:FT1:x/1" << FtdiUrlError::Malformed << "serial";
        QTest::newRow("text after interface") << "ftdi://ftdi:232h/1/2" << FtdiUrlError::Malformed
                                              << "after the interface";
        QTest::newRow("unknown vendor name") << "ftdi://acme:232h/1" << FtdiUrlError::BadVendor << "\"acme\"";
        QTest::newRow("vendor id too long") << "ftdi://04030:6014/1" << FtdiUrlError::BadVendor << "\"04030\"";
        QTest::newRow("vendor id 0") << "ftdi://0:6014/1" << FtdiUrlError::BadVendor << "\"0\"";
        QTest::newRow("unknown chip") << "ftdi://ftdi:232x/1" << FtdiUrlError::BadProduct << "\"232x\"";
        QTest::newRow("product not hex") << "ftdi://0403:60g4/1" << FtdiUrlError::BadProduct << "\"60g4\"";
        QTest::newRow("serial with a space") << "ftdi://::FT 12/1" << FtdiUrlError::BadSerial << "\"FT 12\"";
        QTest::newRow("interface 0") << "ftdi://ftdi:2232h/0" << FtdiUrlError::BadInterface << "1 (A) to 2";
        QTest::newRow("interface a letter") << "ftdi://ftdi:2232h/A" << FtdiUrlError::BadInterface << "\"A\"";
        QTest::newRow("interface 2 of a one-interface chip")
            << "ftdi://ftdi:232h/2" << FtdiUrlError::BadInterface << "FT232H has one interface";
        QTest::newRow("interface 3 of FT2232H") << "ftdi://ftdi:2232h/3" << FtdiUrlError::BadInterface
                                                << "1 (A) to 2";
        QTest::newRow("interface 5 of FT4232H") << "ftdi://ftdi:4232h/5" << FtdiUrlError::BadInterface
                                                << "1 (A) to 4";
        QTest::newRow("interface 5, chip unknown") << "ftdi://::FT1/5" << FtdiUrlError::BadInterface
                                                   << "1 (A) to 4";
        QTest::newRow("FT2232H interface B") << "ftdi://ftdi:2232h/2" << FtdiUrlError::UnsupportedInterface
                                             << "interface 2 (B) cannot drive the board; only interface 1 (A) "
                                                "of FT2232H is supported";
        QTest::newRow("FT4232H interface D by id") << "ftdi://0403:6011/4" << FtdiUrlError::UnsupportedInterface
                                                   << "interface 4 (D)";
        QTest::newRow("interface B, chip unknown") << "ftdi://::FT1/2" << FtdiUrlError::UnsupportedInterface
                                                   << "FT2232H or FT4232H";
    }
    void badAddresses() {
        QFETCH(QString, url);
        QFETCH(FtdiUrlError, error);
        QFETCH(QString, named);

        const FtdiUrlResult result = ParseFtdiUrl(url.toStdString());
        QCOMPARE(result.error, error);
        QVERIFY(!result.Ok());
        const QString message = QString::fromStdString(result.message);
        QVERIFY2(message.startsWith("\"" + url + "\" is no usable FTDI adapter address: "), qPrintable(message));
        QVERIFY2(message.contains(named), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(FtdiUrlTest)
#include "FtdiUrlTest.moc"
