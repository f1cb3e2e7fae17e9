#pragma once
// Which port a dsactl command drives and through which backend: --port, else
// the address in "IOaddress.001" of the current folder (the window's file),
// else the simulated board's base with --simulate; and the exit status that
// says why a port cannot be used.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "cli/CommandLine.h"
#include "port/PortIo.h"

// The port's base address. Throws CommandFailure: bad usage when no address is
// given or the text is not a hexadecimal address; the port is not there when
// --simulate is asked for another address than the simulated board's.
int32_t ChoosePort(const GlobalOptions& globals);

// An address as the user types it: "378".
QString PortText(int32_t port);

// The exit status for a port that cannot be used.
int ExitStatusOf(PortProblem problem);
// A stable name for the kind of fault, for JSON ("no_permission").
QString ProblemName(PortProblem problem);

// Where the kernel's parallel ports are listed and their device nodes live:
// /proc/sys/dev/parport and /dev. The test suite points these at a prepared
// folder through DSACTL_TEST_PROC_PARPORT and DSACTL_TEST_DEV_DIR, so that an
// unlisted port, a missing node and a node without permission can be shown on
// a machine without parallel ports; nothing else reads these variables.
std::string ParportProcRoot();
std::string DeviceDir();
