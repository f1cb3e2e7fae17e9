// The options several dsactl subcommands share, and the checks of their values.
#include "cli/SharedOptions.h"

#include "cli/ValueChoice.h"

void AddModelOption(Subcommand& command) {
    command.AddOption({QStringLiteral("model"),
                       QStringLiteral("The model: its list position, 1 to 28 as 'dsactl models' "
                                      "shows it, or its key."),
                       QStringLiteral("M")});
}

void AddLeOption(Subcommand& command) {
    command.AddOption({QStringLiteral("le"),
                       QStringLiteral("LE line 1 to 6 of a serial model (default 1); a parallel "
                                      "model takes none."),
                       QStringLiteral("N")});
}

void AddNearestOption(Subcommand& command) {
    command.AddOption({QStringLiteral("nearest"),
                       QStringLiteral("Load the nearest value the model can make instead of "
                                      "refusing a value it cannot make exactly.")});
}

void AddJsonOption(Subcommand& command, const QString& description) {
    command.AddOption({QStringLiteral("json"), description});
}

const ModelProfile& ModelOption(const Subcommand& command) {
    return ChooseModel(command.Required(QStringLiteral("model")));
}

int LeOption(const Subcommand& command, const ModelProfile& model) {
    return ChooseLe(model, command.Value(QStringLiteral("le")));
}

bool NearestOption(const Subcommand& command) {
    return command.IsSet(QStringLiteral("nearest"));
}
