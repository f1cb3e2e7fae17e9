#pragma once
// `dsactl serve --announce`: registers the instrument with the Avahi daemon on
// the system D-Bus so that instrument browsers find it on the network, keeps
// it registered through name collisions and Avahi restarts, and withdraws it.

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include "server/AnnouncedService.h"

class QDBusMessage;
class QDBusServiceWatcher;

class ServiceAnnouncer : public QObject {
    Q_OBJECT

public:
    // The service of a server listening on `address`:`tcpPort`; its name comes
    // from Avahi's host name.
    ServiceAnnouncer(const QHostAddress& address, quint16 tcpPort, const QByteArray& version);
    ~ServiceAnnouncer() override;

    ServiceAnnouncer(const ServiceAnnouncer&) = delete;
    ServiceAnnouncer& operator=(const ServiceAnnouncer&) = delete;

    // Hands the service to Avahi. Without a system bus or an Avahi daemon on
    // it, says so once on standard error; the server runs all the same, and an
    // Avahi that comes up later gets the service then.
    void Start();
    // Takes the service off the network.
    void Withdraw();

private slots:
    void OnServerState(int state, const QString& error);
    void OnGroupState(int state, const QString& error);
    void OnAvahiArrived();
    void OnAvahiLeft();

private:
    QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {});
    void Begin();
    void ForgetGroup();
    bool Describe();
    void Register();
    void Rename();
    void Unannounced(const QString& reason);

    QDBusConnection bus_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QHostAddress address_;
    quint16 tcpPort_;
    QByteArray version_;
    AnnouncedService service_;
    QString groupPath_;
    QString takenName_;
    bool reported_ = false;
};
