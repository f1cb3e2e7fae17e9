#include "server/ClientConnection.h"

#include <QTcpSocket>
#include <algorithm>
#include <cstring>

#include "server/Instrument.h"
#include "server/ScpiServer.h"

namespace {

// How much is read from the socket at a time.
constexpr qint64 kReadChunk = 16 * 1024;
// How many bytes of replies are collected before they are sent.
constexpr qsizetype kSendChunk = 16 * 1024;

} // namespace

ClientConnection::ClientConnection(QTcpSocket* socket, Instrument& instrument, QObject* parent)
    : QObject(parent), socket_(socket), instrument_(instrument), status_(instrument.Status()) {
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
    return socket_->bytesToWrite() + output_.size() > ScpiServer::kOutputLimit;
}

void ClientConnection::Serve() {
    // Sending emits bytesWritten, and a failed send may emit disconnected:
    // both come back here, where the loop below already does their work.
    if (serving_) {
        return;
    }
    serving_ = true;
    ServeLines();
    serving_ = false;
}

void ClientConnection::ServeLines() {
    // Only what the socket has already taken in is read here, at most its
    // read buffer's worth, so one busy client cannot hold off the others for
    // more than that in one turn of the event loop.
    qsizetype done = 0; // input_ before this has been run
    while (!Stalled()) {
        done = RunLines(done);
        if (Stalled() || socket_->bytesAvailable() <= 0) {
            break;
        }
        input_.remove(0, done);
        done = 0;
        const qsizetype held = input_.size();
        input_.resize(held + kReadChunk);
        const qint64 got = socket_->read(input_.data() + held, kReadChunk);
        input_.resize(held + std::max<qint64>(got, 0));
        if (discarding_) {
            const qsizetype lf = input_.indexOf('\n');
            if (lf < 0) {
                input_.clear();
                continue;
            }
            discarding_ = false;
            input_.remove(0, lf + 1);
            continue;
        }
        if (input_.indexOf('\n', held) < 0 && input_.size() > ScpiServer::kLongestLine + 1) {
            status_->Report(scpi::kTooMuchData, QStringLiteral("a line holds at most 4096 bytes"));
            input_.clear();
            discarding_ = true;
        }
    }
    input_.remove(0, done);
    Send();
}

qsizetype ClientConnection::RunLines(qsizetype from) {
    const char* const data = input_.constData();
    const qsizetype size = input_.size();
    while (from < size && !Stalled()) {
        const void* const lf =
            std::memchr(data + from, '\n', static_cast<std::size_t>(size - from));
        if (lf == nullptr) {
            break;
        }
        const qsizetype end = static_cast<const char*>(lf) - data;
        QByteArrayView line(data + from, end - from);
        from = end + 1;
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.size() > ScpiServer::kLongestLine) {
            status_->Report(scpi::kTooMuchData, QStringLiteral("a line holds at most 4096 bytes"));
            continue;
        }
        instrument_.ExecuteInto(status_, line, output_);
        // Replies wait in output_ for the end of the batch; a client that
        // sends much more than it reads gets them in pieces of about this size.
        if (output_.size() >= kSendChunk) {
            Send();
        }
    }
    return from;
}

void ClientConnection::Send() {
    if (!output_.isEmpty() && socket_->state() != QAbstractSocket::UnconnectedState) {
        socket_->write(output_.constData(), output_.size());
    }
    output_.resize(0);
    // Hand the replies to the system now: Qt closes a socket as soon as it
    // reads the client's end of stream, and would drop what it still holds.
    socket_->flush();
}
