#include "server/ScpiServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

#include "server/ClientConnection.h"

ScpiServer::ScpiServer(Instrument& instrument, QObject* parent)
    : QObject(parent), instrument_(instrument), listener_(new QTcpServer(this)) {
    connect(listener_, &QTcpServer::newConnection, this, &ScpiServer::Accept);
    // Refusals held back are reported once their second is over.
    logFlush_.setSingleShot(true);
    connect(&logFlush_, &QTimer::timeout, this,
            [this] { Log(refusals_.Flush(LogLimit::Clock::now())); });
}

void ScpiServer::Log(const QStringList& lines) {
    for (const QString& line : lines) {
        std::fprintf(stderr, "dsactl serve: %s\n", qPrintable(line));
    }
    std::fflush(stderr);
    if (refusals_.Holding() && !logFlush_.isActive()) {
        logFlush_.start(1100);
    }
}

bool ScpiServer::Listen(const QHostAddress& address, quint16 port, QString& error,
                        QAbstractSocket::SocketError& kind) {
    if (listener_->listen(address, port)) {
        return true;
    }
    error = listener_->errorString();
    kind = listener_->serverError();
    return false;
}

quint16 ScpiServer::Port() const {
    return listener_->serverPort();
}

void ScpiServer::Close() {
    listener_->close();
    for (ClientConnection* client : findChildren<ClientConnection*>(Qt::FindDirectChildrenOnly)) {
        delete client;
    }
}

int ScpiServer::ClientCount() const {
    return static_cast<int>(findChildren<ClientConnection*>(Qt::FindDirectChildrenOnly).size());
}

void ScpiServer::Accept() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        if (ClientCount() >= kMostClients) {
            Log(refusals_.Offer(QStringLiteral("refused a client from %1: %2 clients connected")
                                    .arg(socket->peerAddress().toString())
                                    .arg(kMostClients),
                                LogLimit::Clock::now()));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new ClientConnection(socket, instrument_, this);
    }
}
