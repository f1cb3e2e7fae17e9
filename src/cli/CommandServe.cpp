// dsactl serve: the instrument server. Its implementation lives in src/server/;
// this is the one place that hands the command line over to it.
#include "cli/Commands.h"
#include "cli/ExitStatus.h"

int RunServeCommand(const QStringList& arguments) {
    // Wiring the server in: #include "server/Serve.h", return RunServe(arguments)
    // here, and link dsa_cli with dsa_server in cli/CMakeLists.txt.
    static_cast<void>(arguments);
    throw CommandFailure{kExitUnavailable, QStringLiteral("not built")};
}
