#include "server/ClientConnection.h"

#include <QTcpSocket>

#include "server/Instrument.h"
#include "server/ScpiServer.h"

namespace {

// How much is read from the socket at a time.
constexpr qint64 kReadChunk = 16 * 1024;

} // namespace

ClientConnection::ClientConnection(QTcpSocket* socket, Instrument& instrument, QObject* parent)
    : QObject(parent), socket_(socket), instrument_(instrument),
      status_(std::make_shared<scpi::ClientStatus>()) {
    socket_->setParent(this);
    // Replies are short and a client waits for each one: send them at once.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Bounded, so that a stalled client's input waits in the kernel instead.
    socket_->setReadBufferSize(kReadChunk * 4);
    connect(socket_, &QTcpSocket::readyRead, this, &ClientConnection::Serve);
    connect(socket_, &QTcpSocket::bytesWritten, this, &ClientConnection::Serve);
    // Whole lines that came before the client closed its side still run (a
    // one-shot `printf 'ATT 7\n' | nc -N host 5025`); a partial line is dropped.
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        Serve();
        deleteLater();
    });
    Serve();
}

ClientConnection::~ClientConnection() {
    // The socket, deleted after this object, must not call back into it.
    socket_->disconnect(this);
}

bool ClientConnection::Stalled() const {
    return socket_->bytesToWrite() > ScpiServer::kOutputLimit;
}

void ClientConnection::Serve() {
    while (!Stalled()) {
        const qsizetype end = input_.indexOf('\n');
        if (end < 0) {
            if (socket_->bytesAvailable() <= 0) {
                break;
            }
            const QByteArray more = socket_->read(kReadChunk);
            if (discarding_) {
                const qsizetype lf = more.indexOf('\n');
                if (lf < 0) {
                    continue;
                }
                discarding_ = false;
                input_ = more.mid(lf + 1);
                continue;
            }
            input_ += more;
            if (input_.indexOf('\n') < 0 && input_.size() > ScpiServer::kLongestLine + 1) {
                status_->Report(scpi::kTooMuchData, QStringLiteral("a line holds at most 4096 bytes"));
                input_.clear();
                discarding_ = true;
            }
            continue;
        }
        QByteArray line = input_.left(end);
        input_.remove(0, end + 1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.size() > ScpiServer::kLongestLine) {
            status_->Report(scpi::kTooMuchData, QStringLiteral("a line holds at most 4096 bytes"));
            continue;
        }
        const std::optional<QByteArray> reply = instrument_.Execute(status_, line);
        if (reply && socket_->state() != QAbstractSocket::UnconnectedState) {
            socket_->write(*reply + '\n');
        }
    }
    // Hand the replies to the system now: Qt closes a socket as soon as it
    // reads the client's end of stream, and would drop what it still holds.
    socket_->flush();
}
