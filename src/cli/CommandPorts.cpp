// dsactl ports: the parallel ports the kernel lists and the FTDI adapters on
// the USB, and whether this user can use each one now (and if not, why and
// what to do).
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

QJsonArray AdaptersJson(const std::vector<ListedAdapter>& adapters) {
    QJsonArray array;
    for (const ListedAdapter& adapter : adapters) {
        array.append(QJsonObject{
            {QStringLiteral("url"), QString::fromStdString(adapter.url)},
            {QStringLiteral("chip"), QString::fromStdString(adapter.chip)},
            {QStringLiteral("serial"), QString::fromStdString(adapter.serial)},
            {QStringLiteral("description"), QString::fromStdString(adapter.description)},
            {QStringLiteral("usb_bus"), adapter.bus},
            {QStringLiteral("usb_address"), adapter.address},
            {QStringLiteral("usable"), adapter.usable},
            {QStringLiteral("problem"), ProblemName(adapter.problem)},
            {QStringLiteral("reason"), QString::fromStdString(adapter.reason)}});
    }
    return array;
}

void PrintAdapters(const std::vector<ListedAdapter>& adapters, bool listed, const std::string& failure) {
    if (!listed) {
        PrintLine(QStringLiteral("FTDI adapters: could not be listed (%1).")
                      .arg(QString::fromStdString(failure)));
        return;
    }
    if (adapters.empty()) {
        PrintLine(QStringLiteral("FTDI adapters: none plugged in."));
        return;
    }
    PrintLine(QString());
    const QString row = QStringLiteral("%1  %2  %3  %4");
    PrintLine(row.arg(QStringLiteral("Adapter"), -28)
                  .arg(QStringLiteral("Chip"), -8)
                  .arg(QStringLiteral("Serial"), -10)
                  .arg(QStringLiteral("Usable now")));
    for (const ListedAdapter& adapter : adapters) {
        PrintLine(row.arg(QString::fromStdString(adapter.url), -28)
                      .arg(adapter.chip.empty() ? QStringLiteral("?")
                                                : QString::fromStdString(adapter.chip),
                           -8)
                      .arg(adapter.serial.empty() ? QStringLiteral("-")
                                                  : QString::fromStdString(adapter.serial),
                           -10)
                      .arg(adapter.usable ? QStringLiteral("yes")
                                          : QStringLiteral("no: ") +
                                                QString::fromStdString(adapter.reason)));
    }
}

} // namespace

Subcommand DeclarePorts() {
    Subcommand command(QStringLiteral("ports"), QStringLiteral("[--json]"),
                       QStringLiteral("Lists the parallel ports the kernel knows, with base "
                                      "address in hex, device node, and whether you can use "
                                      "each one now; if not, why and what to do. Then the FTDI "
                                      "USB adapters plugged in, with the address to give "
                                      "--adapter, chip, serial number and whether you can use "
                                      "each one."),
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
        Board::Open(CommandBoardRequest(command.Globals()), notifier);
    const std::vector<ListedPort> states = board->Ports();
    std::vector<ListedAdapter> adapters;
    std::string adapterFailure;
    // The simulated board has no USB side.
    const bool adaptersListed =
        command.Globals().simulate || Board::Adapters(adapters, adapterFailure);
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
        PrintJsonDocument(QJsonObject{
            {QStringLiteral("ports"), ports},
            {QStringLiteral("adapters"), AdaptersJson(adapters)},
            {QStringLiteral("adapters_error"),
             adaptersListed ? QJsonValue(QJsonValue::Null)
                            : QJsonValue(QString::fromStdString(adapterFailure))}});
        return 0;
    }
    if (states.empty()) {
        PrintLine(QStringLiteral("No parallel ports: the kernel lists none. If the PC has one, "
                                 "load its drivers: sudo modprobe parport_pc ppdev. Without "
                                 "one, use an FTDI adapter (--adapter) or try --simulate."));
        if (!command.Globals().simulate) {
            PrintAdapters(adapters, adaptersListed, adapterFailure);
        }
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
    if (!command.Globals().simulate) {
        PrintAdapters(adapters, adaptersListed, adapterFailure);
    }
    return 0;
}
