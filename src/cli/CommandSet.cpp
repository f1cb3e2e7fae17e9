// dsactl set: one attenuation, step list or control word loaded into one device.
#include "cli/BoardLink.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/JsonResults.h"
#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "cli/SharedOptions.h"
#include "cli/ValueChoice.h"
#include "core/ExitStatus.h"

namespace {

void PrintText(const ModelProfile& model, int le, ControlWord word, const QString& portText,
               const QString& verifiedText, const std::optional<LoadReport>& report) {
    const QString row = QStringLiteral("%1 %2");
    PrintLine(row.arg(QStringLiteral("model"), -12)
                  .arg(QStringLiteral("%1 %2 (%3)")
                           .arg(model.position + 1)
                           .arg(model.key, InterfaceName(model))));
    PrintLine(row.arg(QStringLiteral("LE line"), -12)
                  .arg(le == 0 ? QStringLiteral("none (parallel model)") : QString::number(le)));
    PrintLine(row.arg(QStringLiteral("attenuation"), -12)
                  .arg(DbText(AttenuationOf(model, word)) + QStringLiteral(" dB")));
    PrintLine(row.arg(QStringLiteral("word"), -12)
                  .arg(QStringLiteral("%1 (%2)").arg(WordBinaryText(model, word)).arg(word)));
    PrintLine(row.arg(QStringLiteral("port"), -12).arg(portText));
    PrintLine(row.arg(QStringLiteral("verified"), -12).arg(verifiedText));
    if (report) {
        PrintLatched(*report);
    }
}

} // namespace

Subcommand DeclareSet() {
    Subcommand command(
        QStringLiteral("set"),
        QStringLiteral("--model M (--db X | --steps LIST | --word N) [options]"),
        QStringLiteral("Loads one value into the device of a model and prints what was sent: "
                       "model, LE line, attenuation, the control word in binary and whether "
                       "every write verified."),
        true);
    AddModelOption(command);
    command.AddOption({QStringLiteral("db"),
                       QStringLiteral("Attenuation in dB, a positive number (7 means 7 dB of "
                                      "attenuation), with a period or your decimal separator."),
                       QStringLiteral("X")});
    command.AddOption({QStringLiteral("steps"),
                       QStringLiteral("The steps to switch on, by their dB weights as the window "
                                      "labels them: 1,2,4 (an empty list: all off)."),
                       QStringLiteral("LIST")});
    command.AddOption({QStringLiteral("word"),
                       QStringLiteral("The control word, bit i for step button i (decimal, 0x "
                                      "hex or 0b binary)."),
                       QStringLiteral("N")});
    AddLeOption(command);
    AddNearestOption(command);
    command.AddOption({QStringLiteral("dry-run"),
                       QStringLiteral("Work out and print the word without touching a port.")});
    AddJsonOption(command,
                  QStringLiteral("Print the result as one JSON object on standard output."));
    return command;
}

int RunSet(const QStringList& arguments) {
    Subcommand command = DeclareSet();
    if (!command.Parse(arguments)) {
        return 0;
    }
    const ModelProfile& model = ModelOption(command);
    command.RequireOneOf({QStringLiteral("db"), QStringLiteral("steps"), QStringLiteral("word")},
                         true);
    const int le = LeOption(command, model);
    const bool nearest = NearestOption(command);
    std::optional<double> askedDb;
    ControlWord word = 0;
    if (const auto db = command.Value(QStringLiteral("db"))) {
        askedDb = ParseDb(*db, QStringLiteral("db"));
        word = WordForDb(model, *askedDb, nearest);
    } else if (const auto steps = command.Value(QStringLiteral("steps"))) {
        word = WordForSteps(model, *steps);
    } else {
        word = WordForNumber(model, *command.Value(QStringLiteral("word")));
    }

    const GlobalOptions globals = command.Globals();
    const bool dryRun = command.IsSet(QStringLiteral("dry-run"));
    std::optional<int32_t> port;
    std::optional<LoadReport> report;
    if (!dryRun) {
        port = CommandPort(globals);
        BoardLink link(globals.simulate, *port, model, le);
        report = link.Load(word);
    }
    const bool verified = report && report->verified;

    if (command.IsSet(QStringLiteral("json"))) {
        QJsonObject result{{QStringLiteral("model"), ModelJson(model)},
                           {QStringLiteral("interface"), InterfaceName(model)},
                           {QStringLiteral("le"), LeJson(le)},
                           {QStringLiteral("attenuation_db"), AttenuationOf(model, word)},
                           {QStringLiteral("word"), word},
                           {QStringLiteral("binary"), WordBinaryText(model, word)},
                           {QStringLiteral("port"),
                            port ? QJsonValue(PortText(*port)) : QJsonValue(QJsonValue::Null)},
                           {QStringLiteral("simulated"), globals.simulate},
                           {QStringLiteral("dry_run"), dryRun},
                           {QStringLiteral("verified"), verified}};
        if (askedDb) {
            result.insert(QStringLiteral("asked_db"), *askedDb);
        }
        if (report && report->board) {
            result.insert(QStringLiteral("board"), BoardJson(*report->board));
        }
        PrintJsonLine(result);
    } else {
        PrintText(model, le, word,
                  port ? PortText(*port) +
                             (globals.simulate ? QStringLiteral(" (simulated board)") : QString())
                       : QStringLiteral("none (dry run)"),
                  dryRun ? QStringLiteral("not sent (dry run)")
                         : (verified ? QStringLiteral("yes, every write")
                                     : QStringLiteral("NO: a write never read back")),
                  report);
    }
    if (report && !report->verified) {
        throw UnverifiedFailure(*port, 1, 1);
    }
    return 0;
}
