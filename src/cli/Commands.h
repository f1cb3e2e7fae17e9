#pragma once
// The subcommands of dsactl. Declare<Name> makes the subcommand's command line
// (its options and help); Run<Name> takes the arguments that followed its name
// (with any shared options that stood in front of it), prints its result, and
// returns the exit status or throws CommandFailure.

#include <QStringList>

#include "cli/CommandLine.h"

Subcommand DeclareModels();
Subcommand DeclarePorts();
Subcommand DeclareSet();
Subcommand DeclareSweep();
Subcommand DeclareHop();
Subcommand DeclareServe();

int RunModels(const QStringList& arguments);
int RunPorts(const QStringList& arguments);
int RunSet(const QStringList& arguments);
int RunSweep(const QStringList& arguments);
int RunHop(const QStringList& arguments);
int RunServeCommand(const QStringList& arguments);
