#pragma once
// One client of the SCPI server: its socket, the part of a line received so
// far, and its own error queue and event status.

#include <QByteArray>
#include <QObject>
#include <memory>

#include "server/ScpiErrors.h"

class Instrument;
class QTcpSocket;

class ClientConnection : public QObject {
    Q_OBJECT
public:
    // Takes over `socket`; deletes itself when the client goes away.
    ClientConnection(QTcpSocket* socket, Instrument& instrument, QObject* parent);
    ~ClientConnection() override;

private:
    // Runs the complete lines received so far, while the client reads its replies.
    void Serve();
    bool Stalled() const;

    QTcpSocket* socket_;
    Instrument& instrument_;
    std::shared_ptr<scpi::ClientStatus> status_;
    QByteArray input_;
    bool discarding_ = false; // inside a line that was too long, until its LF
};
