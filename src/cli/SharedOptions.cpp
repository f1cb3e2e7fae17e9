// The options several dsactl subcommands share, and the checks of their values.
#include "cli/SharedOptions.h"

#include "cli/Output.h"
#include "cli/ValueChoice.h"
#include "core/RealTime.h"

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

void AddRealTimeOption(Subcommand& command) {
    command.AddOption({QStringLiteral("realtime"),
                       QStringLiteral("Run with real-time scheduling (SCHED_FIFO, priority 10) "
                                      "and locked memory where this user may, so that a busy "
                                      "machine does not make steps late.")});
}

void ApplyRealTimeOption(const Subcommand& command) {
    if (!command.IsSet(QStringLiteral("realtime"))) {
        return;
    }
    const RealTimeResult result = EnterRealTime();
    QStringList refused;
    if (!result.scheduling) {
        refused << QStringLiteral("real-time scheduling (allow it with 'ulimit -r %1', or "
                                  "LimitRTPRIO=%1 or CPUSchedulingPolicy=fifo in a service unit)")
                       .arg(kRealTimePriority);
    }
    if (!result.memoryLocked) {
        refused << QStringLiteral("locked memory (allow it with 'ulimit -l unlimited', or "
                                  "LimitMEMLOCK=infinity in a service unit)");
    }
    if (!refused.isEmpty()) {
        PrintError(QStringLiteral("%1: --realtime: this user may not have %2; going on at normal "
                                  "priority.")
                       .arg(CommandTitle(command.Name()), refused.join(QStringLiteral(" or "))));
    }
}
