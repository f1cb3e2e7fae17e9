#pragma once
// The board a dsactl command loads: the core's board (a parallel port through
// ppdev, an FTDI adapter, or the simulated board) and its session with the chosen model and LE
// line. Turns what a Load found into the
// command's exit status, and prints what the simulated board latched.

#include <QStringList>
#include <memory>
#include <optional>

#include "cli/CommandLine.h"
#include "core/Board.h"
#include "core/BoardReadout.h"
#include "core/BoardSession.h"
#include "core/CollectingNotifier.h"
#include "core/ExitStatus.h"

struct LoadReport {
    ControlWord word = 0;
    bool verified = false;
    // What the simulated board's device latched after the Load.
    std::optional<DeviceReadout> board;
};

class BoardLink {
public:
    // `le` 1 to 6 for a serial model (ignored for a parallel one).
    // The board is the one `globals` names (--simulate, --adapter).
    BoardLink(const GlobalOptions& globals, int32_t port, const ModelProfile& model, int le);
    ~BoardLink();

    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    // Loads `word`. Throws CommandFailure when the port cannot be used (status
    // after the kind of fault) or the device was never latched because a data
    // write did not verify (74). A latched Load whose other writes did not all
    // verify returns with verified false; the caller decides.
    LoadReport Load(ControlWord word);

    bool Simulated() const { return board_->Simulated(); }

private:
    CollectingNotifier notifier_;
    std::unique_ptr<Board> board_;
    BoardSession session_;
    const ModelProfile& model_;
    int le_;
};

// The failure for Loads that latched but did not verify every write.
CommandFailure UnverifiedFailure(int32_t port, int unverifiedLoads, int loads);

// Prints "board: " and what the simulated board's device latched, when the
// report holds it (a real port has nothing to show).
void PrintLatched(const LoadReport& report);
