#pragma once
// Which port a dsactl command drives: --port, else the simulated board's base
// with --simulate, else the address in "IOaddress.001" of the current folder
// (the window's file); what a choice that fails says; and the exit status that
// says why a port cannot be used.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "cli/CommandLine.h"
#include "common/PortProblem.h"
#include "core/Board.h"

// The port's base address, chosen by the one rule of every command (see
// core/PortChoice.h). Throws CommandFailure: bad usage when no address is given
// or the text is not a hexadecimal address or sets no port; the port is not
// there when --simulate is asked for another address than the simulated
// board's.
int32_t CommandPort(const GlobalOptions& globals);
// The same for a command that may start without a port (serve): nullopt when
// no address is given and the address file holds none.
std::optional<int32_t> CommandPortIfAny(const GlobalOptions& globals);

// An address as the user types it: "378".
QString PortText(int32_t port);

// The exit status for a port that cannot be used.
int ExitStatusOf(PortProblem problem);
// A stable name for the kind of fault, for JSON ("no_permission").
QString ProblemName(PortProblem problem);

// The board a command opens: the simulated board, an FTDI adapter, or the kernel's parallel
// ports, listed in /proc/sys/dev/parport with their device nodes in /dev. The
// test suite points these at a prepared folder through DSACTL_TEST_PROC_PARPORT
// and DSACTL_TEST_DEV_DIR, so that an unlisted port, a missing node and a node
// without permission can be shown on a machine without parallel ports; nothing
// else reads these variables.
BoardRequest CommandBoardRequest(const GlobalOptions& globals);
// The transport the options ask for: --simulate, --adapter, else ppdev.
Transport CommandTransport(const GlobalOptions& globals);
