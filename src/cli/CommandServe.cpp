// dsactl serve: the instrument server. Its implementation lives in src/server/;
// this is the one place that hands the command line over to it.
#include "cli/Commands.h"
#include "cli/ExitStatus.h"

int RunServeCommand(const QStringList& arguments) {
    // To be wired to the server: return RunServe(arguments);  (server/Serve.h)
    static_cast<void>(arguments);
    throw CommandFailure{kExitUnavailable, QStringLiteral("not built")};
}
