#pragma once
// Ctrl+C, SIGTERM and SIGHUP as a stop request that a running sequence or a
// server loop looks at, instead of ending the process in the middle of a
// transfer. The handler only sets a flag, which is all a signal handler may do.

#include <atomic>

// Installs the handlers (once; later calls return the same flag). The flag is
// set by the first of those signals; a second Ctrl+C while stopping still
// only sets it.
const std::atomic<bool>& InstallStopSignals();

// The signal that set the flag, 0 while none has.
int StopSignalNumber();
