// `dsactl serve --announce`: the instrument's service in the Avahi daemon,
// through its D-Bus API on the system bus (org.freedesktop.Avahi: one entry
// group holding one service).

#include "server/ServiceAnnouncer.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QNetworkInterface>
#include <cstdio>

namespace {

const QString kAvahi = QStringLiteral("org.freedesktop.Avahi");
const QString kServer = QStringLiteral("org.freedesktop.Avahi.Server");
const QString kEntryGroup = QStringLiteral("org.freedesktop.Avahi.EntryGroup");
const QString kStateChanged = QStringLiteral("StateChanged");

// A daemon that does not answer within this long is taken as none.
constexpr int kCallTimeoutMs = 5000;
// Alternative names tried when the name is taken here, before giving up.
constexpr int kMaxRenames = 20;

// Avahi's server and entry group states.
constexpr int kServerRegistering = 1;
constexpr int kServerRunning = 2;
constexpr int kServerCollision = 3;
constexpr int kGroupEstablished = 2;
constexpr int kGroupCollision = 3;
constexpr int kGroupFailure = 4;

void Say(const QString& text) {
    std::fprintf(stderr, "dsactl serve: %s\n", qPrintable(text));
    std::fflush(stderr);
}

// Why a call to Avahi failed, in words for the log.
QString Reason(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    if (name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
        return QStringLiteral("no Avahi daemon on the system D-Bus");
    }
    return QStringLiteral("Avahi: %1 (%2)").arg(reply.errorMessage(), name);
}

bool Failed(const QDBusMessage& reply) {
    return reply.type() != QDBusMessage::ReplyMessage;
}

QString Where(const AnnouncedService& service) {
    const QString family = service.protocol == kAvahiIPv4   ? QStringLiteral("IPv4")
                           : service.protocol == kAvahiIPv6 ? QStringLiteral("IPv6")
                                                            : QStringLiteral("IPv4 and IPv6");
    return service.interfaceIndex == kAvahiAnyInterface
               ? QStringLiteral("all interfaces, %1").arg(family)
               : QStringLiteral("interface %1, %2")
                     .arg(QNetworkInterface::interfaceNameFromIndex(service.interfaceIndex),
                          family);
}

} // namespace

ServiceAnnouncer::ServiceAnnouncer(const QHostAddress& address, quint16 tcpPort,
                                   const QByteArray& version)
    : bus_(QDBusConnection::systemBus()), address_(address), tcpPort_(tcpPort), version_(version) {
    qDBusRegisterMetaType<QList<QByteArray>>();
}

ServiceAnnouncer::~ServiceAnnouncer() {
    Withdraw();
}

void ServiceAnnouncer::Start() {
    if (!bus_.isConnected()) {
        Unannounced(QStringLiteral("no system D-Bus (%1)").arg(bus_.lastError().message()));
        return;
    }
    watcher_ = new QDBusServiceWatcher(kAvahi, bus_,
                                       QDBusServiceWatcher::WatchForRegistration |
                                           QDBusServiceWatcher::WatchForUnregistration,
                                       this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
            &ServiceAnnouncer::OnAvahiArrived);
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this,
            &ServiceAnnouncer::OnAvahiLeft);
    bus_.connect(kAvahi, QStringLiteral("/"), kServer, kStateChanged, this,
                 SLOT(OnServerState(int, QString)));
    Begin();
}

void ServiceAnnouncer::Withdraw() {
    if (!groupPath_.isEmpty()) {
        Call(groupPath_, kEntryGroup, QStringLiteral("Free"));
        ForgetGroup();
    }
}

void ServiceAnnouncer::ForgetGroup() {
    bus_.disconnect(kAvahi, groupPath_, kEntryGroup, kStateChanged, this,
                    SLOT(OnGroupState(int, QString)));
    groupPath_.clear();
}

QDBusMessage ServiceAnnouncer::Call(const QString& path, const QString& interface,
                                    const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(kAvahi, path, interface, method);
    message.setArguments(arguments);
    return bus_.call(message, QDBus::Block, kCallTimeoutMs);
}

// A new entry group, filled and committed once Avahi's server runs.
void ServiceAnnouncer::Begin() {
    if (!Describe()) {
        return;
    }
    const QDBusMessage group = Call(QStringLiteral("/"), kServer, QStringLiteral("EntryGroupNew"));
    if (Failed(group)) {
        Unannounced(Reason(group));
        return;
    }
    groupPath_ = group.arguments().value(0).value<QDBusObjectPath>().path();
    bus_.connect(kAvahi, groupPath_, kEntryGroup, kStateChanged, this,
                 SLOT(OnGroupState(int, QString)));
    const QDBusMessage state = Call(QStringLiteral("/"), kServer, QStringLiteral("GetState"));
    if (Failed(state)) {
        Unannounced(Reason(state));
    } else if (state.arguments().value(0).toInt() == kServerRunning) {
        Register();
    }
}

// The service as it is to be announced, named after Avahi's host name.
bool ServiceAnnouncer::Describe() {
    const QDBusMessage host = Call(QStringLiteral("/"), kServer, QStringLiteral("GetHostName"));
    if (Failed(host)) {
        Unannounced(Reason(host));
        return false;
    }
    service_ = DescribeService(address_, tcpPort_, host.arguments().value(0).toString(), version_);
    takenName_.clear();
    return true;
}

void ServiceAnnouncer::Register() {
    for (int renames = 0; renames <= kMaxRenames; ++renames) {
        const QDBusMessage added =
            Call(groupPath_, kEntryGroup, QStringLiteral("AddService"),
                 {service_.interfaceIndex, service_.protocol, 0U, service_.name,
                  QString::fromLatin1(kScpiRawServiceType), QString(), QString(),
                  QVariant::fromValue(service_.port), QVariant::fromValue(service_.txt)});
        if (!Failed(added)) {
            const QDBusMessage committed = Call(groupPath_, kEntryGroup, QStringLiteral("Commit"));
            if (Failed(committed)) {
                Unannounced(Reason(committed));
            }
            return;
        }
        if (added.errorName() != QLatin1String("org.freedesktop.Avahi.CollisionError")) {
            Unannounced(Reason(added));
            return;
        }
        Rename();
    }
    Unannounced(QStringLiteral("the name \"%1\" and its alternatives are taken").arg(takenName_));
}

// Avahi's next name after one that is taken: "... #2", "... #3".
void ServiceAnnouncer::Rename() {
    if (takenName_.isEmpty()) {
        takenName_ = service_.name;
    }
    const QDBusMessage alternative = Call(
        QStringLiteral("/"), kServer, QStringLiteral("GetAlternativeServiceName"), {service_.name});
    service_.name = Failed(alternative) ? service_.name + QStringLiteral(" #2")
                                        : alternative.arguments().value(0).toString();
}

void ServiceAnnouncer::Unannounced(const QString& reason) {
    if (!reported_) {
        reported_ = true;
        Say(QStringLiteral("not announced on the network: %1; serving all the same").arg(reason));
    }
}

// When the host name changes (a collision on the network), the service goes
// with it and comes back under the new name once the server runs again.
void ServiceAnnouncer::OnServerState(int state, const QString& /*error*/) {
    if (groupPath_.isEmpty()) {
        return;
    }
    if (state == kServerCollision || state == kServerRegistering) {
        Call(groupPath_, kEntryGroup, QStringLiteral("Reset"));
    } else if (state == kServerRunning) {
        const QDBusMessage empty = Call(groupPath_, kEntryGroup, QStringLiteral("IsEmpty"));
        if (!Failed(empty) && empty.arguments().value(0).toBool() && Describe()) {
            Register();
        }
    }
}

void ServiceAnnouncer::OnGroupState(int state, const QString& error) {
    if (state == kGroupEstablished) {
        const QString taken = takenName_.isEmpty()
                                  ? QString()
                                  : QStringLiteral(", as \"%1\" was taken").arg(takenName_);
        Say(QStringLiteral("announced as \"%1\" (%2 on port %3, %4%5)")
                .arg(service_.name, QString::fromLatin1(kScpiRawServiceType))
                .arg(service_.port)
                .arg(Where(service_), taken));
    } else if (state == kGroupCollision) {
        // Another machine has the name: the next one.
        Rename();
        Call(groupPath_, kEntryGroup, QStringLiteral("Reset"));
        Register();
    } else if (state == kGroupFailure) {
        Unannounced(QStringLiteral("Avahi: %1").arg(error));
    }
}

// Avahi came up after the server, or again after a restart.
void ServiceAnnouncer::OnAvahiArrived() {
    ForgetGroup();
    Begin();
}

void ServiceAnnouncer::OnAvahiLeft() {
    if (!groupPath_.isEmpty()) {
        ForgetGroup();
        Say(QStringLiteral("Avahi left the system D-Bus; announcing again when it is back"));
    }
}
