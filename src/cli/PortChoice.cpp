// Choosing the port of a command and naming why it cannot be used.
#include "cli/PortChoice.h"

#include "core/Board.h"
#include "core/ExitStatus.h"
#include "core/HexAddress.h"
#include "core/PortChoice.h"

namespace {

// What the user gave, for a failure: "--port '10'", "IOaddress.001 holds '10'".
QString Source(const PortChoice& choice) {
    return QStringLiteral("%1 '%2'").arg(choice.fromFile ? QStringLiteral("IOaddress.001 holds")
                                                         : QStringLiteral("--port"),
                                         choice.text);
}

std::string EnvironmentOr(const char* name, const char* fallback) {
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? std::string(fallback) : value.toStdString();
}

} // namespace

std::optional<int32_t> CommandPortIfAny(const GlobalOptions& globals) {
    const PortChoice choice = ChoosePort(globals.port, CommandTransport(globals));
    switch (choice.outcome) {
    case PortChoice::Outcome::Port:
        return choice.port;
    case PortChoice::Outcome::NoneGiven:
        return std::nullopt;
    case PortChoice::Outcome::NotHex:
        throw CommandFailure{kExitUsage,
                             QStringLiteral("%1 is not a hexadecimal port address. Give the "
                                            "base address in hex, for example --port 378.")
                                 .arg(Source(choice))};
    case PortChoice::Outcome::SetsNoPort:
        throw CommandFailure{kExitUsage, QStringLiteral("%1 sets no port (an address of 64 "
                                                        "hex or less means none). Give the base "
                                                        "address, for example --port 378.")
                                             .arg(Source(choice))};
    case PortChoice::Outcome::FileTooLong:
        throw CommandFailure{kExitUsage,
                             QStringLiteral("IOaddress.001 in this folder holds more than 5 "
                                            "characters. Give the port with --port HEX.")};
    case PortChoice::Outcome::NotSimulatedBoard:
        break;
    }
    throw CommandFailure{kExitUnavailable,
                         QStringLiteral("the simulated board answers at %1, not at %2. "
                                        "Leave out --port or give --port %1.")
                             .arg(PortText(Board::SimulatedBase()), PortText(choice.port))};
}

int32_t CommandPort(const GlobalOptions& globals) {
    if (const std::optional<int32_t> port = CommandPortIfAny(globals)) {
        return *port;
    }
    throw CommandFailure{kExitUsage,
                         QStringLiteral("no port given and no IOaddress.001 in this folder. Give "
                                        "the port with --port HEX (see 'dsactl ports'), or "
                                        "--simulate.")};
}

QString PortText(int32_t port) {
    return HexAddressText(port);
}

int ExitStatusOf(PortProblem problem) {
    switch (problem) {
    case PortProblem::NoPermission:
        return kExitNoPermission;
    case PortProblem::Busy:
        return kExitBusy;
    case PortProblem::None:
    case PortProblem::NotListed:
    case PortProblem::NoDevice:
    case PortProblem::Other:
        break;
    }
    return kExitUnavailable;
}

QString ProblemName(PortProblem problem) {
    switch (problem) {
    case PortProblem::None:
        return QStringLiteral("none");
    case PortProblem::NotListed:
        return QStringLiteral("not_listed");
    case PortProblem::NoDevice:
        return QStringLiteral("no_device");
    case PortProblem::NoPermission:
        return QStringLiteral("no_permission");
    case PortProblem::Busy:
        return QStringLiteral("busy");
    case PortProblem::Other:
        break;
    }
    return QStringLiteral("other");
}

Transport CommandTransport(const GlobalOptions& globals) {
    if (globals.simulate) {
        return Transport::Simulated;
    }
    return globals.adapter.isEmpty() ? Transport::ParallelPort : Transport::FtdiAdapter;
}

BoardRequest CommandBoardRequest(const GlobalOptions& globals) {
    BoardRequest request;
    request.transport = CommandTransport(globals);
    request.adapterUrl = globals.adapter.toStdString();
    request.parportRoot = EnvironmentOr("DSACTL_TEST_PROC_PARPORT", "/proc/sys/dev/parport");
    request.deviceDir = EnvironmentOr("DSACTL_TEST_DEV_DIR", "/dev");
    return request;
}
