// dsactl serve: its command line, the port it starts with, and the event loop
// that runs the instrument server until a stop signal.
#include "server/Serve.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>
#include <cstdio>
#include <memory>

// serve is a dsactl subcommand, so it ends with dsactl's exit statuses.
#include "core/AddressFile.h"
#include "core/CollectingNotifier.h"
#include "core/ExitStatus.h"
#include "core/HexAddress.h"
#include "core/PortBackend.h"
#include "core/StopSignals.h"
#include "port/PortAccess.h"
#include "server/Instrument.h"
#include "server/ScpiServer.h"

#ifndef DSA_SERVER_VERSION
#define DSA_SERVER_VERSION "0"
#endif

namespace {

constexpr quint16 kDefaultPort = 5025;

const char kUsage[] =
    "Usage: dsactl serve [--listen ADDR:PORT] [--simulate] [--port HEX] [--nearest]\n"
    "\n"
    "Serves the board as a SCPI instrument over a raw TCP socket, until Ctrl+C, SIGTERM or "
    "SIGHUP.\n"
    "\n"
    "Options:\n"
    "  --listen ADDR:PORT  address and TCP port to listen on (default 127.0.0.1:5025).\n"
    "                      0.0.0.0:5025 lets anyone who can reach this machine drive\n"
    "                      the board, without authentication. Port 0 picks a free one.\n"
    "  --simulate          drive the simulated board (at 378) instead of a real port;\n"
    "                      adds BOARD:LATChed? to the commands.\n"
    "  --port HEX          the port's base address in hexadecimal (default: 378 with\n"
    "                      --simulate, else the address in IOaddress.001 here).\n"
    "  --nearest           set values the model cannot make to the nearest it can make\n"
    "                      (without it they are refused with error -222).\n"
    "  -h, --help          show this help.\n";

void Fail(const QString& text) {
    std::fprintf(stderr, "dsactl serve: %s\n", qPrintable(text));
}

bool ParseListen(const QString& text, QHostAddress& address, quint16& port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return false;
    }
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
    }
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok, 10);
    if (!ok || number > 65535 || !address.setAddress(host)) {
        return false;
    }
    port = static_cast<quint16>(number);
    return true;
}

} // namespace

int RunServe(const QStringList& arguments) {
    // dsactl's main may have made the application object already.
    std::unique_ptr<QCoreApplication> ownApplication;
    if (QCoreApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "dsactl";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QCoreApplication>(argc, argv);
    }

    QCommandLineParser parser;
    const QCommandLineOption listenOption(QStringLiteral("listen"), QString(),
                                          QStringLiteral("ADDR:PORT"));
    const QCommandLineOption simulateOption(QStringLiteral("simulate"));
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("HEX"));
    const QCommandLineOption nearestOption(QStringLiteral("nearest"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({listenOption, simulateOption, portOption, nearestOption, helpOption});
    if (!parser.parse(QStringList{QStringLiteral("dsactl serve")} + arguments)) {
        Fail(parser.errorText() + QStringLiteral("; see dsactl serve --help"));
        return kExitUsage;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        Fail(QStringLiteral("unexpected argument '%1'; see dsactl serve --help")
                 .arg(parser.positionalArguments().constFirst()));
        return kExitUsage;
    }

    QHostAddress address(QHostAddress::LocalHost);
    quint16 tcpPort = kDefaultPort;
    if (parser.isSet(listenOption) && !ParseListen(parser.value(listenOption), address, tcpPort)) {
        Fail(QStringLiteral("--listen takes ADDR:PORT, such as 127.0.0.1:5025, not '%1'")
                 .arg(parser.value(listenOption)));
        return kExitUsage;
    }

    const bool simulate = parser.isSet(simulateOption);
    int32_t port = 0;
    if (parser.isSet(portOption)) {
        const std::optional<int32_t> parsed = ParseHexAddress(parser.value(portOption));
        if (!parsed) {
            Fail(QStringLiteral("--port takes a hexadecimal address such as 378, not '%1'")
                     .arg(parser.value(portOption)));
            return kExitUsage;
        }
        port = *parsed;
        if (!PortAccess::PortConfigured(port)) {
            Fail(QStringLiteral("--port '%1' sets no port (an address of 64 hex or less means "
                                "none). Give the base address, for example --port 378.")
                     .arg(parser.value(portOption)));
            return kExitUsage;
        }
        if (simulate && port != kSimulatedBoardBase) {
            Fail(QStringLiteral("the simulated board answers at %1, not at %2. Leave out --port "
                                "or give --port %1.")
                     .arg(QString::number(kSimulatedBoardBase, 16).toUpper(),
                          QString::number(port, 16).toUpper()));
            return kExitUnavailable;
        }
    } else if (simulate) {
        port = kSimulatedBoardBase;
    } else {
        const AddressFileContent file = ReadAddressFile();
        const std::optional<int32_t> parsed = file.kind == AddressFileContent::Kind::Field
                                                  ? ParseHexAddress(file.field)
                                                  : std::nullopt;
        if (parsed) {
            port = *parsed;
        } else {
            Fail(QStringLiteral("no port address (no --port, no IOaddress.001 here); "
                                "set one with SYSTem:PORT before loading"));
        }
    }

    const std::atomic<bool>& stop = InstallStopSignals();
    PortBackend backend = MakePortBackend(simulate);
    CollectingNotifier notifier;
    PortAccess access(*backend.io, notifier);
    Instrument::Options options;
    options.nearest = parser.isSet(nearestOption);
    options.simulated = backend.simulated != nullptr ? &backend.simulated->Board() : nullptr;
    options.stop = &stop;
    options.version = DSA_SERVER_VERSION;
    Instrument instrument(access, notifier, port, options);
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
                 simulate ? "simulated board" : "parallel port",
                 qPrintable(QString::number(static_cast<uint32_t>(port), 16).toUpper()));
    std::fflush(stderr);

    // The signal handler only sets a flag; the event loop looks at it.
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, [&stop] {
        if (stop.load()) {
            QCoreApplication::quit();
        }
    });
    stopWatch.start(50);
    if (!stop.load()) {
        QCoreApplication::exec();
    }
    instrument.AbortSweep();
    server.Close();
    std::fprintf(stderr, "dsactl serve: stopped\n");
    return 0;
}
