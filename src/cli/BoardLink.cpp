// Loading words through the core's board session, judging the outcome and
// showing what the simulated board latched.
#include "cli/BoardLink.h"

#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "core/ExitStatus.h"
#include "core/PortBackend.h"
#include "port/PpdevPort.h"
#include "port/SimulatedParallelPort.h"

namespace {

std::unique_ptr<PortIo> MakeIo(bool simulate, SimulatedParallelPort*& simulated,
                               PpdevPort*& ppdev) {
    if (simulate) {
        PortBackend backend = MakePortBackend(true);
        simulated = backend.simulated;
        return std::move(backend.io);
    }
    auto port = std::make_unique<PpdevPort>(ParportProcRoot(), DeviceDir());
    ppdev = port.get();
    return port;
}

// The ports the kernel lists, for a message about an address that is not one of them.
QString ListedPorts(const PpdevPort& port) {
    QStringList bases;
    for (const ParportInfo& info : port.Ports()) {
        bases << PortText(info.base);
    }
    return bases.isEmpty() ? QStringLiteral("none") : bases.join(QStringLiteral(", "));
}

} // namespace

BoardLink::BoardLink(bool simulate, int32_t port, const ModelProfile& model, int le)
    : io_(MakeIo(simulate, simulated_, ppdev_)), access_(*io_, notifier_), session_(access_, port),
      model_(model), le_(le) {
    session_.SelectModel(&model_);
    if (!model_.IsParallel()) {
        session_.SetLe(le_);
    }
}

BoardLink::~BoardLink() = default;

LoadReport BoardLink::Load(ControlWord word) {
    const BoardSession::Result result = session_.LoadWord(word);
    if (result.problem == PortProblem::NotListed && ppdev_ != nullptr) {
        throw CommandFailure{
            kExitUnavailable,
            QStringLiteral("no parallel port at %1; the kernel lists: %2. Give --port with a base "
                           "from 'dsactl ports'; if your port is missing, run: sudo modprobe "
                           "parport_pc ppdev")
                .arg(PortText(session_.Port()), ListedPorts(*ppdev_))};
    }
    if (result.problem != PortProblem::None) {
        throw CommandFailure{ExitStatusOf(result.problem), QString::fromStdString(result.reason)};
    }
    if (!result.outcome.latched) {
        throw CommandFailure{
            kExitIoError,
            QStringLiteral("the port at %1 never read back what was written (10 tries), so the "
                           "device was not loaded. Check the address, the cable and the board's "
                           "power.")
                .arg(PortText(session_.Port()))};
    }
    LoadReport report;
    report.word = word;
    report.verified = result.outcome.verified;
    if (simulated_ != nullptr) {
        report.board = DeviceReadoutFor(simulated_->Board().Board(), model_, le_);
        // The simulated port logs every access; a long run must not grow it.
        simulated_->Board().ClearLog();
    }
    return report;
}

CommandFailure UnverifiedFailure(int32_t port, int unverifiedLoads, int loads) {
    return CommandFailure{kExitIoError,
                          QStringLiteral("%1 of %2 Loads had a write to %3 that never read back "
                                         "what was written; the board may not hold the value. "
                                         "Check the cable and the board's power.")
                              .arg(unverifiedLoads)
                              .arg(loads)
                              .arg(PortText(port))};
}

void PrintLatched(const LoadReport& report) {
    if (report.board) {
        PrintLine(QStringLiteral("board: ") + LatchedText(*report.board));
    }
}
