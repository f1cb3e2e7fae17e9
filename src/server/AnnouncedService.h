#pragma once
// What `dsactl serve --announce` puts on the network, worked out from the
// listening address alone: the service's name, type, port and TXT record, and
// the interface and IP version it is announced on. ServiceAnnouncer hands it
// to Avahi.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

// Raw SCPI over TCP, as instrument browsers look for it.
inline constexpr char kScpiRawServiceType[] = "_scpi-raw._tcp";

// Avahi's numbers for "every interface" and for the two IP versions.
inline constexpr int kAvahiAnyInterface = -1;
inline constexpr int kAvahiAnyProtocol = -1;
inline constexpr int kAvahiIPv4 = 0;
inline constexpr int kAvahiIPv6 = 1;

struct AnnouncedService {
    QString name; // "Attenuator board on HOST"
    quint16 port = 0;
    // "manufacturer=...", "model=...", "version=...": the texts of *IDN?.
    QList<QByteArray> txt;
    // Every interface for a wildcard address (0.0.0.0, ::), else the one that
    // holds the address; the IP version the server listens on.
    int interfaceIndex = kAvahiAnyInterface;
    int protocol = kAvahiAnyProtocol;
};

// A server on a loopback address (127.0.0.0/8, ::1) is out of reach of every
// other machine, so announcing it is of no use.
bool OnlyThisMachineReaches(const QHostAddress& address);

// The service of a server listening on `address`:`port` on the host Avahi
// calls `host`, with the program's `version`.
AnnouncedService DescribeService(const QHostAddress& address, quint16 port, const QString& host,
                                 const QByteArray& version);

// The TXT record: what *IDN? says, one field a string.
QList<QByteArray> IdentityTxt(const QByteArray& version);
