#pragma once
// One client of the SCPI server: its socket, the part of a line received so
// far; its error queue and event status are the instrument's, shared by all.

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
    void ServeLines();
    // Runs the whole lines in input_ from offset `from`; returns where the
    // first line not yet run starts.
    qsizetype RunLines(qsizetype from);
    // Moves the collected replies to the socket and hands them to the system.
    void Send();
    bool Stalled() const;

    QTcpSocket* socket_;
    Instrument& instrument_;
    std::shared_ptr<scpi::ClientStatus> status_;
    QByteArray input_;        // bytes read from the socket and not yet run
    QByteArray output_;       // replies to the lines run since the last Send
    bool discarding_ = false; // inside a line that was too long, until its LF
    bool serving_ = false;    // inside Serve: a signal from the socket waits for its end
};
