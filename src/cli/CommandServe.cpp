// dsactl serve: the instrument server. Its implementation lives in src/server/;
// this is the one place that hands the command line over to it.
#include "cli/Commands.h"
#include "server/Serve.h"

int RunServeCommand(const QStringList& arguments) {
    return RunServe(arguments);
}
