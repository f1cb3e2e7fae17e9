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
#include "server/ScpiServer.h"

namespace {

void Fail(const QString& text) {
    std::fprintf(stderr, "dsactl serve: %s\n", qPrintable(text));
}

} // namespace

int RunServe(const ServeSettings& settings) {
    // dsactl's main may have made the application object already.
    std::unique_ptr<QCoreApplication> ownApplication;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "dsactl";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QCoreApplication>(argc, argv);
    }
    const bool simulate = settings.simulate;
    const int32_t port = settings.port;
    const QHostAddress& address = settings.address;
    const quint16 tcpPort = settings.tcpPort;
    if (port == 0) {
        Fail(QStringLiteral("no port address (no --port, no IOaddress.001 here); "
                            "set one with SYSTem:PORT before loading"));
    }

    // The first stop signal ends the event loop; a sweep's wait ends on the
    // flag at once. A second one only asks again, so the port is released.
    TerminationSignals stopSignals(nullptr, TerminationSignals::Second::RequestsAgain);
    QObject::connect(&stopSignals, &TerminationSignals::Received, [] { QCoreApplication::quit(); });
    const std::atomic<bool>& stop = stopSignals.StopRequested();
    CollectingNotifier notifier;
    BoardRequest request;
    request.transport = simulate ? Transport::Simulated : Transport::ParallelPort;
    const std::unique_ptr<Board> board = Board::Open(request, notifier);
    Instrument::Options options;
    options.nearest = settings.nearest;
    options.simulated = board->Simulated();
    options.stop = &stop;
    options.version = DSA_VERSION;
    Instrument instrument(*board, notifier, port, options);
    ScpiServer server(instrument);

    QString error;
    QAbstractSocket::SocketError kind = QAbstractSocket::UnknownSocketError;
    if (!server.Listen(address, tcpPort, error, kind)) {
        Fail(QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(address.toString())
                 .arg(tcpPort)
                 .arg(error));
        if (kind == QAbstractSocket::AddressInUseError) {
            return kExitBusy;
        }
        return kind == QAbstractSocket::SocketAccessError ? kExitNoPermission : kExitUnavailable;
    }
    const QString shownHost = address.protocol() == QAbstractSocket::IPv6Protocol
                                  ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                                  : address.toString();
    std::fprintf(stderr, "dsactl serve: listening on %s:%u, %s at %s\n", qPrintable(shownHost),
                 static_cast<unsigned>(server.Port()),
                 simulate ? "simulated board" : "parallel port", qPrintable(HexAddressText(port)));
    std::fflush(stderr);

    if (!stop.load()) {
        QCoreApplication::exec();
    }
    instrument.AbortSweep();
    server.Close();
    std::fprintf(stderr, "dsactl serve: stopped\n");
    return 0;
}
