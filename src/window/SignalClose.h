#pragma once
// Ends the window program on SIGTERM, SIGINT or SIGHUP the way the user would:
// every window is closed through its normal path, so the main window saves a
// typed port address, and when the last window is gone the event loop ends
// and the port is released as the program unwinds.

class TerminationSignals;

void CloseWindowsOnTerminationSignals(const TerminationSignals& termination);
