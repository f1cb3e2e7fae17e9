// Loading words through the core's board session, judging the outcome and
// showing what the simulated board latched.
#include "cli/BoardLink.h"

#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "core/ExitStatus.h"

namespace {

// The ports the kernel lists, for a message about an address that is not one of them.
QString ListedPorts(const Board& board) {
    QStringList bases;
    for (const int32_t base : board.ListedBases()) {
        bases << PortText(base);
    }
    return bases.isEmpty() ? QStringLiteral("none") : bases.join(QStringLiteral(", "));
}

} // namespace

BoardLink::BoardLink(const GlobalOptions& globals, int32_t port, const ModelProfile& model, int le)
    : board_(Board::Open(CommandBoardRequest(globals), notifier_)), session_(*board_, port),
      model_(model), le_(le) {
    session_.SelectModel(&model_);
    if (!model_.IsParallel()) {
        session_.SetLe(le_);
    }
}

BoardLink::~BoardLink() = default;

LoadReport BoardLink::Load(ControlWord word) {
    const BoardSession::Result result = session_.LoadWord(word);
    if (result.problem == PortProblem::NotListed && !board_->Simulated() &&
        board_->AdapterUrl().empty()) {
        throw CommandFailure{
            kExitUnavailable,
            QStringLiteral("no parallel port at %1; the kernel lists: %2. Give --port with a base "
                           "from 'dsactl ports'; if your port is missing, run: sudo modprobe "
                           "parport_pc ppdev")
                .arg(PortText(session_.Port()), ListedPorts(*board_))};
    }
    if (result.problem != PortProblem::None) {
        throw CommandFailure{ExitStatusOf(result.problem), QString::fromStdString(result.reason)};
    }
    if (!result.outcome.latched) {
        const std::string adapter = board_->AdapterUrl();
        throw CommandFailure{
            kExitIoError,
            QStringLiteral("%1 never read back what was written (10 tries), so the device was "
                           "not loaded. Check %2, the cable and the board's power.")
                .arg(adapter.empty()
                         ? QStringLiteral("the port at %1").arg(PortText(session_.Port()))
                         : QStringLiteral("the FTDI adapter %1").arg(QString::fromStdString(adapter)),
                     adapter.empty() ? QStringLiteral("the address") : QStringLiteral("the wiring"))};
    }
    LoadReport report;
    report.word = word;
    report.verified = result.outcome.verified;
    if (board_->Simulated()) {
        report.board = DeviceReadoutFor(board_->SimulatedState(), model_, le_);
        board_->ForgetSimulatedAccesses();
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
