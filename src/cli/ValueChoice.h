#pragma once
// The model, LE line and attenuation values a command line names, checked
// against the model through the core; a value the model cannot make is refused
// with the nearest values it can make.

#include <QString>
#include <QStringList>
#include <optional>

#include "core/ControlWord.h"
#include "core/ModelProfile.h"

// The model named by a 1-based list position or a key. Throws CommandFailure
// (bad usage) when nothing matches.
const ModelProfile& ChooseModel(const QString& text);

// The LE line for `model`: 1 to 6 (default 1) for a serial model, 0 for a
// parallel model, which takes none. Throws CommandFailure (bad usage).
int ChooseLe(const ModelProfile& model, const std::optional<QString>& text);

// A number of dB as the user wrote it (a period or the user's decimal
// separator). Throws CommandFailure (bad usage) when it is not a number.
double ParseDb(const QString& text, const QString& option);

// The word that makes `db` on `model`; with `nearest`, the word of the nearest
// value the model can make. Throws CommandFailure (a value the model cannot
// make) when it is out of range, or not exact and `nearest` is off.
ControlWord WordForDb(const ModelProfile& model, double db, bool nearest);

// The word that switches on the steps labelled with the weights in `list`
// ("1,2,4"). Throws CommandFailure.
ControlWord WordForSteps(const ModelProfile& model, const QString& list);

// The word given as a number (decimal, 0x hex or 0b binary), bit i for step
// member i. Throws CommandFailure.
ControlWord WordForNumber(const ModelProfile& model, const QString& text);

// The items of a list option: separated by commas, or by semicolons when the
// text holds any (for users whose decimal separator is a comma).
QStringList ListItems(const QString& text);

// A number of dB for messages: "7.5" in the user's form.
QString DbText(double db);
