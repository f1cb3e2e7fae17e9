#pragma once
// The subcommands of dsactl. Each takes the arguments that followed its name
// (with any shared options that stood in front of it), prints its result, and
// returns the exit status or throws CommandFailure.

#include <QStringList>

int RunModels(const QStringList& arguments);
int RunPorts(const QStringList& arguments);
int RunSet(const QStringList& arguments);
int RunSweep(const QStringList& arguments);
int RunHop(const QStringList& arguments);
int RunServeCommand(const QStringList& arguments);
