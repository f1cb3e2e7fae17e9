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

// What set was asked to load, and what came of it.
struct SetResult {
    const ModelProfile* model = nullptr;
    int le = 0;
    std::optional<double> askedDb; // with --db
    ControlWord word = 0;
    bool simulate = false;
    QString adapter; // the FTDI adapter's address, when one is driven
    bool dryRun = false;
    std::optional<int32_t> port;      // none in a dry run
    std::optional<LoadReport> report; // none in a dry run

    bool Verified() const { return report && report->verified; }
};

// The model, LE line and word the command line names. Throws CommandFailure (bad usage, or a
// value the model cannot make).
SetResult ChooseSetValue(const Subcommand& command) {
    SetResult result;
    const ModelProfile& model = ModelOption(command);
    result.model = &model;
    command.RequireOneOf({QStringLiteral("db"), QStringLiteral("steps"), QStringLiteral("word")},
                         true);
    result.le = LeOption(command, model);
    const bool nearest = NearestOption(command);
    if (const auto db = command.Value(QStringLiteral("db"))) {
        result.askedDb = ParseDb(*db, QStringLiteral("db"));
        result.word = WordForDb(model, *result.askedDb, nearest);
    } else if (const auto steps = command.Value(QStringLiteral("steps"))) {
        result.word = WordForSteps(model, *steps);
    } else {
        result.word = WordForNumber(model, *command.Value(QStringLiteral("word")));
    }
    return result;
}

// Loads the word on the port the shared options name, unless --dry-run.
void LoadUnlessDryRun(const Subcommand& command, SetResult& result) {
    const GlobalOptions globals = command.Globals();
    result.simulate = globals.simulate;
    result.adapter = globals.adapter;
    result.dryRun = command.IsSet(QStringLiteral("dry-run"));
    if (result.dryRun) {
        return;
    }
    result.port = CommandPort(globals);
    BoardLink link(globals, *result.port, *result.model, result.le);
    result.report = link.Load(result.word);
}

QJsonObject SetJson(const SetResult& result) {
    const ModelProfile& model = *result.model;
    QJsonObject object{{QStringLiteral("model"), ModelJson(model)},
                       {QStringLiteral("interface"), InterfaceName(model)},
                       {QStringLiteral("le"), LeJson(result.le)},
                       {QStringLiteral("attenuation_db"), AttenuationOf(model, result.word)},
                       {QStringLiteral("word"), result.word},
                       {QStringLiteral("binary"), WordBinaryText(model, result.word)},
                       {QStringLiteral("port"), result.port ? QJsonValue(PortText(*result.port))
                                                            : QJsonValue(QJsonValue::Null)},
                       {QStringLiteral("simulated"), result.simulate},
                       {QStringLiteral("adapter"), result.adapter.isEmpty()
                                                       ? QJsonValue(QJsonValue::Null)
                                                       : QJsonValue(result.adapter)},
                       {QStringLiteral("dry_run"), result.dryRun},
                       {QStringLiteral("verified"), result.Verified()}};
    if (result.askedDb) {
        object.insert(QStringLiteral("asked_db"), *result.askedDb);
    }
    if (result.report && result.report->board) {
        object.insert(QStringLiteral("board"), BoardJson(*result.report->board));
    }
    return object;
}

// "378 (simulated board)", "378 (FTDI adapter ftdi://ftdi:232h/1)", or "none (dry run)".
QString PortDescription(const SetResult& result) {
    if (!result.port) {
        return QStringLiteral("none (dry run)");
    }
    if (!result.adapter.isEmpty()) {
        return PortText(*result.port) + QStringLiteral(" (FTDI adapter %1)").arg(result.adapter);
    }
    return PortText(*result.port) +
           (result.simulate ? QStringLiteral(" (simulated board)") : QString());
}

QString VerifiedDescription(const SetResult& result) {
    if (result.dryRun) {
        return QStringLiteral("not sent (dry run)");
    }
    return result.Verified() ? QStringLiteral("yes, every write")
                             : QStringLiteral("NO: a write never read back");
}

void PrintText(const SetResult& result) {
    const ModelProfile& model = *result.model;
    const int le = result.le;
    const ControlWord word = result.word;
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
    PrintLine(row.arg(QStringLiteral("port"), -12).arg(PortDescription(result)));
    PrintLine(row.arg(QStringLiteral("verified"), -12).arg(VerifiedDescription(result)));
    if (result.report) {
        PrintLatched(*result.report);
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
    SetResult result = ChooseSetValue(command);
    LoadUnlessDryRun(command, result);
    if (command.IsSet(QStringLiteral("json"))) {
        PrintJsonLine(SetJson(result));
    } else {
        PrintText(result);
    }
    if (result.report && !result.report->verified) {
        throw UnverifiedFailure(*result.port, 1, 1);
    }
    return 0;
}
