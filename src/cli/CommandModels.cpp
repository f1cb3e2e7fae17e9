// dsactl models: the catalogue with what each model can do.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/JsonResults.h"
#include "cli/Output.h"
#include "cli/SharedOptions.h"
#include "cli/ValueChoice.h"

namespace {

QString StepsLine(const ModelProfile& model) {
    QStringList steps;
    for (const QJsonValue& step : StepsJson(model)) {
        steps << DbText(step.toDouble());
    }
    return steps.join(QLatin1Char(' '));
}

} // namespace

Subcommand DeclareModels() {
    Subcommand command(QStringLiteral("models"), QStringLiteral("[--json]"),
                       QStringLiteral("Lists the 28 models with their list position (counted "
                                      "from 1, as --model takes it), key, interface, the steps "
                                      "they have, their range and resolution in dB."),
                       false);
    AddJsonOption(command);
    return command;
}

int RunModels(const QStringList& arguments) {
    Subcommand command = DeclareModels();
    if (!command.Parse(arguments)) {
        return 0;
    }
    if (command.IsSet(QStringLiteral("json"))) {
        QJsonArray models;
        for (const ModelProfile& model : ModelProfiles()) {
            QJsonObject entry = ModelJson(model);
            entry.insert(QStringLiteral("entry"), model.displayText);
            entry.insert(QStringLiteral("interface"), InterfaceName(model));
            entry.insert(QStringLiteral("steps_db"), StepsJson(model));
            entry.insert(QStringLiteral("max_db"), model.maxDb);
            entry.insert(QStringLiteral("resolution_db"), model.resolutionDb);
            models.append(entry);
        }
        PrintJsonDocument(QJsonObject{{QStringLiteral("models"), models}});
        return 0;
    }
    const QString row = QStringLiteral("%1  %2  %3  %4  %5  %6");
    PrintLine(row.arg(QStringLiteral("Pos"), 3)
                  .arg(QStringLiteral("Key"), -12)
                  .arg(QStringLiteral("Interface"), -9)
                  .arg(QStringLiteral("Steps (dB)"), -20)
                  .arg(QStringLiteral("Range (dB)"), -11)
                  .arg(QStringLiteral("Resolution (dB)")));
    for (const ModelProfile& model : ModelProfiles()) {
        PrintLine(row.arg(model.position + 1, 3)
                      .arg(model.key, -12)
                      .arg(InterfaceName(model), -9)
                      .arg(StepsLine(model), -20)
                      .arg(QStringLiteral("0 to ") + DbText(model.maxDb), -11)
                      .arg(DbText(model.resolutionDb)));
    }
    return 0;
}
