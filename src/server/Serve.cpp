// dsactl serve: the event loop that runs the instrument server until a stop
// signal. Its command line is read by dsactl (cli/CommandServe.cpp).
#include "server/Serve.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

// serve is a dsactl subcommand, so it ends with dsactl's exit statuses.
#include "core/Board.h"
#include "core/CollectingNotifier.h"
#include "core/ExitStatus.h"
#include "core/HexAddress.h"
#include "core/TerminationSignals.h"
#include "core/Version.h"
#include "server/Instrument.h"
#include "server/PowerUp.h"
#include "server/ScpiServer.h"

namespace {

void Fail(const QString& text) {
    std::fprintf(stderr, "dsactl serve: %s\n", qPrintable(text));
}

// dsactl's main may have made the application object already.
std::unique_ptr<QCoreApplication> ApplicationIfNone() {
    if (QCoreApplication::instance() != nullptr) {
        return nullptr;
    }
    static int argc = 1;
    static char name[] = "dsactl";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

// The exit status of a server that could not listen.
int ListenFailureStatus(QAbstractSocket::SocketError kind) {
    if (kind == QAbstractSocket::AddressInUseError) {
        return kExitBusy;
    }
    return kind == QAbstractSocket::SocketAccessError ? kExitNoPermission : kExitUnavailable;
}

// "dsactl serve: listening on [::1]:5025, simulated board at 378"
void AnnounceListening(const ServeSettings& settings, quint16 tcpPort) {
    const QHostAddress& address = settings.address;
    const QString shownHost = address.protocol() == QAbstractSocket::IPv6Protocol
                                  ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                                  : address.toString();
    const QString board = settings.simulate           ? QStringLiteral("simulated board")
                          : settings.adapter.isEmpty() ? QStringLiteral("parallel port")
                                                       : QStringLiteral("FTDI adapter ") + settings.adapter;
    std::fprintf(stderr, "dsactl serve: listening on %s:%u, %s at %s\n", qPrintable(shownHost),
                 static_cast<unsigned>(tcpPort), qPrintable(board),
                 qPrintable(HexAddressText(settings.port)));
    std::fflush(stderr);
}

// Runs the --on-exit line as a client of its own would, and says on standard
// error what it ran, what it answered and what went wrong.
void RunOnExit(Instrument& instrument, const QByteArray& line) {
    const auto status = std::make_shared<scpi::ClientStatus>();
    const std::optional<QByteArray> reply = instrument.Execute(status, line);
    std::fprintf(stderr, "dsactl serve: on exit: %s%s%s\n", line.constData(), reply ? " -> " : "",
                 reply ? reply->constData() : "");
    while (status->ErrorCount() > 0) {
        std::fprintf(stderr, "dsactl serve: on exit: error %s\n", status->TakeError().constData());
    }
}

} // namespace

int RunServe(const ServeSettings& settings) {
    const std::unique_ptr<QCoreApplication> ownApplication = ApplicationIfNone();
    if (settings.port == 0) {
        Fail(QStringLiteral("no port address (no --port, no IOaddress.001 here); "
                            "set one with SYSTem:PORT before loading"));
    }

    // The first stop signal ends the event loop; a sweep's wait ends on the
    // flag at once. A second one only asks again, so the port is released.
    TerminationSignals stopSignals(nullptr, TerminationSignals::Second::RequestsAgain);
    QObject::connect(&stopSignals, &TerminationSignals::Received, [] { QCoreApplication::quit(); });
    const std::atomic<bool>& stop = stopSignals.StopRequested();
    CollectingNotifier notifier;
    BoardRequest request = settings.board;
    request.transport = settings.simulate           ? Transport::Simulated
                        : settings.adapter.isEmpty() ? Transport::ParallelPort
                                                     : Transport::FtdiAdapter;
    request.adapterUrl = settings.adapter.toStdString();
    const std::unique_ptr<Board> board = Board::Open(request, notifier);
    Instrument::Options options;
    options.nearest = settings.nearest;
    options.simulated = board->Simulated();
    options.stop = &stop;
    options.version = DSA_VERSION;
    Instrument instrument(*board, notifier, settings.port, options);
    ScpiServer server(instrument);

    QString error;
    QAbstractSocket::SocketError kind = QAbstractSocket::UnknownSocketError;
    if (!server.Listen(settings.address, settings.tcpPort, error, kind)) {
        Fail(QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(settings.address.toString())
                 .arg(settings.tcpPort)
                 .arg(error));
        return ListenFailureStatus(kind);
    }
    AnnounceListening(settings, server.Port());
    // Before the event loop, so that no client comes in between; its
    // destructor writes the state a sweep held back, after --on-exit.
    PowerUp powerUp(settings.powerUp, instrument, ServeStatePath(board->Simulated()));
    powerUp.Run();

    if (!stop.load()) {
        QCoreApplication::exec();
    }
    instrument.AbortSweep();
    server.Close();
    if (!settings.onExit.isEmpty()) {
        RunOnExit(instrument, settings.onExit);
    }
    std::fprintf(stderr, "dsactl serve: stopped\n");
    return 0;
}
