// The service `dsactl serve --announce` describes to Avahi: its name, TXT
// record, interface and IP version.

#include "server/AnnouncedService.h"

#include <QNetworkInterface>

#include "server/Identity.h"

namespace {

// DNS-SD instance names are at most 63 bytes of UTF-8.
constexpr qsizetype kMaxNameBytes = 63;

QString ServiceName(const QString& host) {
    QString name = QStringLiteral("Attenuator board on %1").arg(host);
    while (name.toUtf8().size() > kMaxNameBytes) {
        name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
    }
    return name;
}

// The index of the interface that holds `address`; every interface when none
// does (the server could not listen there anyway).
int InterfaceHolding(const QHostAddress& address) {
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& candidate : interfaces) {
        const QList<QNetworkAddressEntry> entries = candidate.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            if (entry.ip().isEqual(address, QHostAddress::TolerantConversion)) {
                return candidate.index();
            }
        }
    }
    return kAvahiAnyInterface;
}

} // namespace

bool OnlyThisMachineReaches(const QHostAddress& address) {
    return address.isLoopback();
}

QList<QByteArray> IdentityTxt(const QByteArray& version) {
    return {QByteArray("manufacturer=") + identity::kManufacturer,
            QByteArray("model=") + identity::kModel, "version=" + version};
}

AnnouncedService DescribeService(const QHostAddress& address, quint16 port, const QString& host,
                                 const QByteArray& version) {
    AnnouncedService service;
    service.name = ServiceName(host);
    service.port = port;
    service.txt = IdentityTxt(version);
    if (address == QHostAddress::AnyIPv4) {
        service.protocol = kAvahiIPv4;
    } else if (address == QHostAddress::AnyIPv6) {
        service.protocol = kAvahiIPv6;
    } else if (address != QHostAddress::Any) {
        service.protocol =
            address.protocol() == QAbstractSocket::IPv6Protocol ? kAvahiIPv6 : kAvahiIPv4;
        service.interfaceIndex = InterfaceHolding(address);
    }
    return service;
}
