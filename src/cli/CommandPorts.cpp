// dsactl ports: the parallel ports the kernel lists, and whether this user can
// use each one now (and if not, why and what to do).
#include <QJsonArray>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "cli/SharedOptions.h"
#include "core/Board.h"
#include "core/CollectingNotifier.h"

namespace {

// The reason a port that opened could not be read.
QString ReasonOf(const ListedPort& port) {
    if (port.readFailed) {
        return QStringLiteral("Parallel port at %1: reading its data register failed. "
                              "Check that the port is enabled in the BIOS setup.")
            .arg(PortText(port.base));
    }
    return QString::fromStdString(port.reason);
}

} // namespace

Subcommand DeclarePorts() {
    Subcommand command(QStringLiteral("ports"), QStringLiteral("[--json]"),
                       QStringLiteral("Lists the parallel ports the kernel knows, with base "
                                      "address in hex, device node, and whether you can use "
                                      "each one now; if not, why and what to do."),
                       false);
    AddJsonOption(command);
    return command;
}

int RunPorts(const QStringList& arguments) {
    Subcommand command = DeclarePorts();
    if (!command.Parse(arguments)) {
        return 0;
    }
    CollectingNotifier notifier;
    const std::unique_ptr<Board> board =
        Board::Open(CommandBoardRequest(command.Globals().simulate), notifier);
    const std::vector<ListedPort> states = board->Ports();
    if (command.IsSet(QStringLiteral("json"))) {
        QJsonArray ports;
        for (const ListedPort& state : states) {
            ports.append(
                QJsonObject{{QStringLiteral("device"), QString::fromStdString(state.device)},
                            {QStringLiteral("base"), PortText(state.base)},
                            {QStringLiteral("base_decimal"), state.base},
                            {QStringLiteral("usable"), state.usable},
                            {QStringLiteral("problem"), ProblemName(state.problem)},
                            {QStringLiteral("reason"), ReasonOf(state)}});
        }
        PrintJsonDocument(QJsonObject{{QStringLiteral("ports"), ports}});
        return 0;
    }
    if (states.empty()) {
        PrintLine(QStringLiteral("No parallel ports: the kernel lists none. If the PC has one, "
                                 "load its drivers: sudo modprobe parport_pc ppdev. Without "
                                 "one, try --simulate."));
        return 0;
    }
    const QString row = QStringLiteral("%1  %2  %3");
    PrintLine(row.arg(QStringLiteral("Base"), -5)
                  .arg(QStringLiteral("Device"), -16)
                  .arg(QStringLiteral("Usable now")));
    for (const ListedPort& state : states) {
        PrintLine(row.arg(PortText(state.base), -5)
                      .arg(QString::fromStdString(state.device), -16)
                      .arg(state.usable ? QStringLiteral("yes")
                                        : QStringLiteral("no: ") + ReasonOf(state)));
    }
    return 0;
}
