#include "server/ScpiServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

#include "server/ClientConnection.h"

ScpiServer::ScpiServer(Instrument& instrument, QObject* parent)
    : QObject(parent), instrument_(instrument), listener_(new QTcpServer(this)) {
    connect(listener_, &QTcpServer::newConnection, this, &ScpiServer::Accept);
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
    return static_cast<int>(
        findChildren<ClientConnection*>(Qt::FindDirectChildrenOnly).size());
}

void ScpiServer::Accept() {
    while (QTcpSocket* socket = listener_->nextPendingConnection()) {
        if (ClientCount() >= kMostClients) {
            std::fprintf(stderr, "dsactl serve: refused a client from %s: %d clients connected\n",
                         qPrintable(socket->peerAddress().toString()), kMostClients);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new ClientConnection(socket, instrument_, this);
    }
}
