#pragma once
// The options several dsactl subcommands take (--model, --le, --nearest,
// --json), defined once so that their help reads the same in every
// subcommand, and the checks of their values.

#include <QString>

#include "cli/CommandLine.h"
#include "core/ModelProfile.h"

void AddModelOption(Subcommand& command);
void AddLeOption(Subcommand& command);
void AddNearestOption(Subcommand& command);
// --json; `description` says what it prints (the listings take the default).
void AddJsonOption(Subcommand& command,
                   const QString& description = QStringLiteral("Print JSON on standard output."));

// The model --model names. Throws CommandFailure (bad usage) when it is missing
// or names no model.
const ModelProfile& ModelOption(const Subcommand& command);
// The LE line --le names for `model` (see ChooseLe). Throws CommandFailure.
int LeOption(const Subcommand& command, const ModelProfile& model);
bool NearestOption(const Subcommand& command);

// --realtime, for the commands that run on a schedule (sweep, hop, serve).
void AddRealTimeOption(Subcommand& command);
// With --realtime: asks for real-time scheduling and locked memory, and where
// either is refused prints one line saying how to allow it; the command goes
// on either way.
void ApplyRealTimeOption(const Subcommand& command);
