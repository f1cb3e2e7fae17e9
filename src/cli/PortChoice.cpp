// Choosing the port of a command and naming why it cannot be used.
#include "cli/PortChoice.h"

#include "core/ExitStatus.h"
#include "core/AddressFile.h"
#include "core/HexAddress.h"
#include "core/PortBackend.h"
#include "port/PortAccess.h"

namespace {

int32_t CheckedAddress(const std::optional<int32_t>& address, const QString& text,
                       const QString& from) {
    if (!address) {
        throw CommandFailure{kExitUsage,
                             QStringLiteral("%1 '%2' is not a hexadecimal port address. Give the "
                                            "base address in hex, for example --port 378.")
                                 .arg(from, text)};
    }
    if (!PortAccess::PortConfigured(*address)) {
        throw CommandFailure{kExitUsage, QStringLiteral("%1 '%2' sets no port (an address of 64 "
                                                        "hex or less means none). Give the base "
                                                        "address, for example --port 378.")
                                             .arg(from, text)};
    }
    return *address;
}

std::string EnvironmentOr(const char* name, const char* fallback) {
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? std::string(fallback) : value.toStdString();
}

} // namespace

int32_t ChoosePort(const GlobalOptions& globals) {
    if (globals.port) {
        const int32_t port = CheckedAddress(ParseHexAddress(*globals.port), *globals.port,
                                            QStringLiteral("--port"));
        if (globals.simulate && port != kSimulatedBoardBase) {
            throw CommandFailure{kExitUnavailable,
                                 QStringLiteral("the simulated board answers at %1, not at %2. "
                                                "Leave out --port or give --port %1.")
                                     .arg(PortText(kSimulatedBoardBase), PortText(port))};
        }
        return port;
    }
    if (globals.simulate) {
        return kSimulatedBoardBase;
    }
    const AddressFileContent file = ReadAddressFile();
    switch (file.kind) {
    case AddressFileContent::Kind::Field:
        return CheckedAddress(ParseHexAddress(file.field), file.field,
                              QStringLiteral("IOaddress.001 holds"));
    case AddressFileContent::Kind::TooLong:
        throw CommandFailure{kExitUsage,
                             QStringLiteral("IOaddress.001 in this folder holds more than 5 "
                                            "characters. Give the port with --port HEX.")};
    case AddressFileContent::Kind::Empty:
    case AddressFileContent::Kind::Missing:
        break;
    }
    throw CommandFailure{kExitUsage,
                         QStringLiteral("no port given and no IOaddress.001 in this folder. Give "
                                        "the port with --port HEX (see 'dsactl ports'), or "
                                        "--simulate.")};
}

QString PortText(int32_t port) {
    return QString::number(port, 16).toUpper();
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

std::string ParportProcRoot() {
    return EnvironmentOr("DSACTL_TEST_PROC_PARPORT", "/proc/sys/dev/parport");
}

std::string DeviceDir() {
    return EnvironmentOr("DSACTL_TEST_DEV_DIR", "/dev");
}
