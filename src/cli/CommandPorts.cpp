// dsactl ports: the parallel ports the kernel lists, and whether this user can
// use each one now (and if not, why and what to do).
#include <QJsonArray>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "cli/SharedOptions.h"
#include "core/PortBackend.h"
#include "port/PpdevPort.h"

namespace {

struct PortState {
    QString device;
    int32_t base = 0;
    bool usable = false;
    PortProblem problem = PortProblem::None;
    QString reason;
};

// Opens and claims the port as a Load would, and reads its data register.
PortState Probe(const ParportInfo& info) {
    PortState state;
    state.device = QString::fromStdString(DeviceDir() + "/parport" + std::to_string(info.number));
    state.base = info.base;
    PpdevPort port(ParportProcRoot(), DeviceDir());
    uint8_t value = 0;
    switch (port.Inp32(info.base, value)) {
    case PortStatus::Ok:
        state.usable = true;
        break;
    case PortStatus::AccessError:
        state.problem = PortProblem::Other;
        state.reason = QStringLiteral("Parallel port at %1: reading its data register failed. "
                                      "Check that the port is enabled in the BIOS setup.")
                           .arg(PortText(info.base));
        break;
    case PortStatus::Unavailable:
        state.problem = port.UnavailableProblem(info.base);
        state.reason = QString::fromStdString(port.UnavailableReason(info.base));
        break;
    }
    return state;
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
    std::vector<PortState> states;
    if (command.Globals().simulate) {
        states.push_back(
            {QStringLiteral("simulated"), kSimulatedBoardBase, true, PortProblem::None, QString()});
    } else {
        for (const ParportInfo& info : DiscoverParports(ParportProcRoot())) {
            states.push_back(Probe(info));
        }
    }
    if (command.IsSet(QStringLiteral("json"))) {
        QJsonArray ports;
        for (const PortState& state : states) {
            ports.append(QJsonObject{{QStringLiteral("device"), state.device},
                                     {QStringLiteral("base"), PortText(state.base)},
                                     {QStringLiteral("base_decimal"), state.base},
                                     {QStringLiteral("usable"), state.usable},
                                     {QStringLiteral("problem"), ProblemName(state.problem)},
                                     {QStringLiteral("reason"), state.reason}});
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
    for (const PortState& state : states) {
        PrintLine(
            row.arg(PortText(state.base), -5)
                .arg(state.device, -16)
                .arg(state.usable ? QStringLiteral("yes") : QStringLiteral("no: ") + state.reason));
    }
    return 0;
}
