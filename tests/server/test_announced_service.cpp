// The service `dsactl serve --announce` hands to Avahi: on which interface and
// IP version for each listening address, its name, and the addresses it is
// refused on.

#include <QNetworkInterface>
#include <QtTest>

#include "server/AnnouncedService.h"

namespace {

int LoopbackIndex() {
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& candidate : interfaces) {
        if (candidate.flags().testFlag(QNetworkInterface::IsLoopBack)) {
            return candidate.index();
        }
    }
    return 0;
}

} // namespace

class AnnouncedServiceTest : public QObject {
    Q_OBJECT

private slots:
    void whereItIsAnnounced_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("interfaceIndex"); // 0: the loopback interface's
        QTest::addColumn<int>("protocol");
        QTest::addColumn<bool>("refused");

        QTest::newRow("IPv4 wildcard") << "0.0.0.0" << kAvahiAnyInterface << kAvahiIPv4 << false;
        QTest::newRow("IPv6 wildcard") << "::" << kAvahiAnyInterface << kAvahiIPv6 << false;
        QTest::newRow("an IPv4 address") << "127.0.0.1" << 0 << kAvahiIPv4 << true;
        QTest::newRow("an IPv6 address") << "::1" << 0 << kAvahiIPv6 << true;
        QTest::newRow("elsewhere in 127/8")
            << "127.9.9.9" << kAvahiAnyInterface << kAvahiIPv4 << true;
        QTest::newRow("on no interface here")
            << "192.0.2.7" << kAvahiAnyInterface << kAvahiIPv4 << false;
    }

    void whereItIsAnnounced() {
        QFETCH(QString, address);
        QFETCH(int, interfaceIndex);
        QFETCH(int, protocol);
        QFETCH(bool, refused);
        const QHostAddress listen(address);
        const AnnouncedService service =
            DescribeService(listen, 5025, QStringLiteral("lab7"), "1.0");
        QCOMPARE(service.interfaceIndex, interfaceIndex == 0 ? LoopbackIndex() : interfaceIndex);
        QCOMPARE(service.protocol, protocol);
        QCOMPARE(service.port, quint16(5025));
        QCOMPARE(service.name, QStringLiteral("Attenuator board on lab7"));
        QCOMPARE(OnlyThisMachineReaches(listen), refused);
    }

    // DNS-SD names are at most 63 bytes: a long host name is cut, never inside
    // a character.
    void aLongHostNameIsCut() {
        const QString host = QString(40, QChar(0x00E9)); // é, two bytes each
        const QString name = DescribeService(QHostAddress::AnyIPv4, 1, host, "1.0").name;
        QVERIFY(name.startsWith(QStringLiteral("Attenuator board on \u00e9")));
        QCOMPARE(name.toUtf8().size(), 62);
        // U+1F4E1, four bytes in UTF-8 and two UTF-16 units: 20 + 10 * 4 bytes.
        const QString antennas = QString::fromUtf8("\xF0\x9F\x93\xA1").repeated(15);
        const QString wide = DescribeService(QHostAddress::AnyIPv4, 1, antennas, "1.0").name;
        QCOMPARE(wide.toUtf8().size(), 60);
        QVERIFY(wide.back().isLowSurrogate());
    }
};

QTEST_GUILESS_MAIN(AnnouncedServiceTest)
#include "test_announced_service.moc"
