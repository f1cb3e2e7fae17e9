#pragma once
// The socket side of the instrument: a raw-socket SCPI server. It cuts each
// client's bytes into lines (LF, a CR before it dropped), hands every line to
// the Instrument whole, and writes back the reply line. Everything runs on one
// thread, so a line runs to its end before anyone else's starts.
//
// A line longer than 4 KiB is answered with -223 and dropped up to its LF. A
// client that stops reading its replies is no longer served once 64 KiB of
// them wait to be sent (and, since the server then stops reading from it,
// its own sending blocks); the others go on. A client that goes away mid-line
// or mid-sweep leaves the server and any sweep running. A client refused
// because 32 are connected is named on standard error at most once a second.

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "server/LogLimit.h"

class Instrument;
class QTcpServer;

class ScpiServer : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kLongestLine = 4096;
    static constexpr qint64 kOutputLimit = 64 * 1024;
    static constexpr int kMostClients = 32;

    explicit ScpiServer(Instrument& instrument, QObject* parent = nullptr);

    // Starts listening; false with `error` set when the address cannot be used.
    bool Listen(const QHostAddress& address, quint16 port, QString& error,
                QAbstractSocket::SocketError& kind);
    quint16 Port() const;
    // Stops listening and closes every connection.
    void Close();

    int ClientCount() const;

private:
    void Accept();
    // Prints `lines` on standard error, and makes sure that what is held back
    // is reported later.
    void Log(const QStringList& lines);

    Instrument& instrument_;
    QTcpServer* listener_;
    LogLimit refusals_;
    QTimer logFlush_;
};
