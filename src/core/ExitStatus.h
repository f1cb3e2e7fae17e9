#pragma once
// The exit statuses of dsactl and dsactl serve, after the BSD sysexits
// convention, and the failure that carries one from wherever a command finds
// it to main.

#include <QString>

enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 64,        // EX_USAGE: bad command line
    kExitData = 65,         // EX_DATAERR: a value the model cannot make or outside its range
    kExitUnavailable = 69,  // EX_UNAVAILABLE: the port is not there or not a parallel port
    kExitIoError = 74,      // EX_IOERR: a write that never verified
    kExitBusy = 75,         // EX_TEMPFAIL: another program holds the port
    kExitNoPermission = 77, // EX_NOPERM: this user may not open the port
    // Not a sysexits code: a sweep or hop ended because a step was later than
    // --max-late allowed.
    kExitLate = 3
};

// Thrown by a command that cannot go on; main prints `message` as one line on
// standard error ("dsactl set: ...") and exits with `status`.
struct CommandFailure {
    int status;
    QString message;
};
