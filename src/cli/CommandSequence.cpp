// dsactl sweep and dsactl hop: timed sequences of values on absolute deadlines,
// ended cleanly by Ctrl+C or SIGTERM after the step under way, optionally
// parking the device at a chosen value.
#include <QLocale>
#include <csignal>

#include "cli/BoardLink.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/JsonResults.h"
#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "cli/SharedOptions.h"
#include "cli/ValueChoice.h"
#include "core/DwellText.h"
#include "core/ExitStatus.h"
#include "core/Sequence.h"
#include "core/TerminationSignals.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);

void AddSequenceOptions(Subcommand& command) {
    AddModelOption(command);
    command.AddOption({QStringLiteral("dwell"),
                       QStringLiteral("How long each step lasts: 20ms, 0.5s, 250us, or a bare "
                                      "number of milliseconds."),
                       QStringLiteral("T")});
    command.AddOption({QStringLiteral("repeat"),
                       QStringLiteral("Run through the values K times (default 1)."),
                       QStringLiteral("K")});
    command.AddOption(
        {QStringLiteral("forever"), QStringLiteral("Run through the values until stopped (Ctrl+C, "
                                                   "SIGTERM or SIGHUP).")});
    AddLeOption(command);
    command.AddOption({QStringLiteral("max-late"),
                       QStringLiteral("End the run, with exit status 3, when a step would start "
                                      "later than T after its deadline (the step is not loaded): "
                                      "for measurements that must not take a point late."),
                       QStringLiteral("T")});
    command.AddOption({QStringLiteral("on-stop"),
                       QStringLiteral("When stopped by Ctrl+C, SIGTERM or SIGHUP, set this "
                                      "attenuation in dB before ending (for example the "
                                      "maximum)."),
                       QStringLiteral("X")});
    AddNearestOption(command);
    AddRealTimeOption(command);
    AddJsonOption(command, QStringLiteral("Print one JSON object a line per step on standard "
                                          "output, and one at the end."));
}

// What the help of sweep and hop says of their timing, after what they do.
QString TimingDescription() {
    return QStringLiteral(
        "Each step starts on a deadline counted from the start, so a long run "
        "does not drift. Ctrl+C, SIGTERM or SIGHUP ends it after the step under way.");
}

// Parses `arguments` for sweep or hop; false after --help. --model is checked first, so that a
// wrong model is the failure a user sees before any other.
bool ParseSequence(Subcommand& command, const QStringList& arguments) {
    if (!command.Parse(arguments)) {
        return false;
    }
    ModelOption(command);
    return true;
}

long ChooseRepeat(const Subcommand& command) {
    command.RequireOneOf({QStringLiteral("repeat"), QStringLiteral("forever")}, false);
    if (command.IsSet(QStringLiteral("forever"))) {
        return 0;
    }
    const auto text = command.Value(QStringLiteral("repeat"));
    if (!text) {
        return 1;
    }
    bool ok = false;
    const long repeat = text->trimmed().toLong(&ok, 10);
    if (!ok || repeat < 1) {
        throw CommandFailure{kExitUsage, QStringLiteral("--repeat '%1' is not a count. Give a "
                                                        "whole number from 1 up, or --forever.")
                                             .arg(*text)};
    }
    return repeat;
}

QString SignalName(int signalNumber) {
    switch (signalNumber) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QString::number(signalNumber);
    }
}

long long MicrosecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
}

QJsonObject LoadJson(const ModelProfile& model, const LoadReport& report) {
    QJsonObject object{{QStringLiteral("attenuation_db"), AttenuationOf(model, report.word)},
                       {QStringLiteral("word"), report.word},
                       {QStringLiteral("binary"), WordBinaryText(model, report.word)},
                       {QStringLiteral("verified"), report.verified}};
    if (report.board) {
        object.insert(QStringLiteral("board"), BoardJson(*report.board));
    }
    return object;
}

qint64 MicrosecondsOf(std::chrono::nanoseconds duration) {
    return std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
}

QString MillisecondsText(std::chrono::nanoseconds duration) {
    return QLocale().toString(static_cast<double>(duration.count()) / 1e6, 'f', 1) +
           QStringLiteral(" ms");
}

// "sweep: 3 steps late, at most 2.1 ms; the run slipped 4.0 ms"
QString LatenessText(const QString& name, const SequenceLateness& lateness) {
    return QStringLiteral("%1: %2 late, at most %3; the run slipped %4")
        .arg(name,
             lateness.lateSteps == 1 ? QStringLiteral("1 step")
                                     : QStringLiteral("%1 steps").arg(lateness.lateSteps),
             MillisecondsText(lateness.most), MillisecondsText(lateness.slip));
}

// The duration given with option `name`. Throws CommandFailure (bad usage).
std::chrono::nanoseconds DurationOption(const QString& text, const QString& name) {
    const std::optional<std::chrono::nanoseconds> duration = ParseDwell(text);
    if (!duration) {
        throw CommandFailure{kExitUsage, QStringLiteral("%1 '%2' is not a duration. Write it like "
                                                        "20ms, 0.5s or 20 (ms).")
                                             .arg(OptionText(name), text)};
    }
    return *duration;
}

int RunTimedSequence(Subcommand& command, const std::vector<double>& values) {
    const ModelProfile& model = ModelOption(command);
    const int le = LeOption(command, model);
    const bool nearest = NearestOption(command);
    const std::chrono::nanoseconds dwell =
        DurationOption(command.Required(QStringLiteral("dwell")), QStringLiteral("dwell"));
    std::optional<std::chrono::nanoseconds> maxLate;
    if (const std::optional<QString> text = command.Value(QStringLiteral("max-late"))) {
        maxLate = DurationOption(*text, QStringLiteral("max-late"));
    }
    SequencePlan plan;
    plan.dwell = dwell;
    plan.repeat = ChooseRepeat(command);
    std::optional<ControlWord> onStopWord;
    if (const auto onStop = command.Value(QStringLiteral("on-stop"))) {
        onStopWord = WordForDb(model, ParseDb(*onStop, QStringLiteral("on-stop")), nearest);
    }
    // Every value is checked before the first Load, so a run never stops half way
    // for a value the model cannot make.
    std::vector<ControlWord> words;
    for (double value : values) {
        words.push_back(WordForDb(model, value, nearest));
        plan.values.push_back(AttenuationOf(model, words.back()));
    }

    // A second Ctrl+C while stopping does not cut short the Load of --on-stop.
    const TerminationSignals stopSignals(nullptr, TerminationSignals::Second::RequestsAgain);
    const std::atomic<bool>& stop = stopSignals.StopRequested();
    const GlobalOptions globals = command.Globals();
    const int32_t port = CommandPort(globals);
    BoardLink link(globals.simulate, port, model, le);
    ApplyRealTimeOption(command);
    const bool json = command.IsSet(QStringLiteral("json"));
    const bool progress = ErrorIsTerminal();
    const std::size_t total =
        plan.repeat == 0 ? 0 : values.size() * static_cast<std::size_t>(plan.repeat);

    int loads = 0;
    int unverified = 0;
    Clock::time_point start;
    Clock::time_point lastProgress;
    SequenceLateness lateness;
    std::optional<SequenceStep> tooLate; // the step that would have started too late
    const SequenceEnd end = RunSequence(
        plan, stop,
        [&](const SequenceStep& step) {
            if (step.number == 0) {
                start = step.planned;
            }
            if (maxLate && step.late > *maxLate) {
                tooLate = step;
                return false;
            }
            const LoadReport report = link.Load(words[step.index]);
            ++loads;
            if (!report.verified) {
                ++unverified;
            }
            if (json) {
                QJsonObject object = LoadJson(model, report);
                object.insert(QStringLiteral("step"), static_cast<qint64>(step.number));
                object.insert(QStringLiteral("cycle"), static_cast<qint64>(step.cycle));
                object.insert(QStringLiteral("planned_us"),
                              MicrosecondsBetween(start, step.planned));
                object.insert(QStringLiteral("actual_us"), MicrosecondsBetween(start, step.actual));
                PrintJsonLine(object);
            } else {
                PrintLatched(report);
            }
            const auto now = Clock::now();
            if (progress && (step.number == 0 || now - lastProgress >= kProgressInterval)) {
                lastProgress = now;
                PrintProgress(QStringLiteral("%1: step %2%3, %4 dB")
                                  .arg(command.Name())
                                  .arg(step.number + 1)
                                  .arg(total == 0 ? QString() : QStringLiteral(" of %1").arg(total))
                                  .arg(DbText(step.db)));
            }
            return true;
        },
        &lateness);
    EndProgress();

    const bool stopped = end == SequenceEnd::Stopped;
    std::optional<LoadReport> parked;
    if (stopped && onStopWord) {
        parked = link.Load(*onStopWord);
        if (!parked->verified) {
            ++unverified;
        }
        ++loads;
    }
    const QString signal = stopped ? SignalName(stopSignals.FirstSignal()) : QString();
    if (json) {
        QJsonObject summary{
            {QStringLiteral("end"), stopped   ? QStringLiteral("stopped")
                                    : tooLate ? QStringLiteral("late")
                                              : QStringLiteral("completed")},
            {QStringLiteral("steps"), loads - (parked ? 1 : 0)},
            {QStringLiteral("unverified"), unverified},
            {QStringLiteral("signal"), stopped ? QJsonValue(signal) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("on_stop"),
             parked ? QJsonValue(LoadJson(model, *parked)) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("late_steps"), static_cast<qint64>(lateness.lateSteps)},
            {QStringLiteral("most_late_us"), MicrosecondsOf(lateness.most)},
            {QStringLiteral("slip_us"), MicrosecondsOf(lateness.slip)}};
        PrintJsonLine(summary);
    } else {
        if (parked) {
            PrintLatched(*parked);
        }
        if (lateness.lateSteps > 0) {
            PrintLine(LatenessText(command.Name(), lateness));
        }
        QString line = QStringLiteral("%1: %2 after %3 steps")
                           .arg(command.Name(), stopped   ? QStringLiteral("stopped by ") + signal
                                                : tooLate ? QStringLiteral("ended late")
                                                          : QStringLiteral("completed"))
                           .arg(loads - (parked ? 1 : 0));
        if (parked) {
            line += QStringLiteral(", then set %1 dB (%2)")
                        .arg(DbText(AttenuationOf(model, parked->word)),
                             WordBinaryText(model, parked->word));
        }
        line += unverified == 0 ? QStringLiteral("; every write verified")
                                : QStringLiteral("; %1 Loads not verified").arg(unverified);
        PrintLine(line);
    }
    if (unverified > 0) {
        throw UnverifiedFailure(port, unverified, loads);
    }
    if (tooLate) {
        throw CommandFailure{kExitLate,
                             QStringLiteral("step %1 would have started %2 late, more than "
                                            "--max-late %3 allows; the run ended before it.")
                                 .arg(tooLate->number + 1)
                                 .arg(MillisecondsText(tooLate->late), MillisecondsText(*maxLate))};
    }
    return 0;
}

} // namespace

Subcommand DeclareSweep() {
    Subcommand command(
        QStringLiteral("sweep"),
        QStringLiteral("--model M --from A --to B --step S --dwell T [options]"),
        QStringLiteral("Steps the attenuation from A to B dB in steps of S dB, each step for T. ") +
            TimingDescription(),
        true);
    command.AddOption(
        {QStringLiteral("from"), QStringLiteral("First attenuation in dB."), QStringLiteral("A")});
    command.AddOption(
        {QStringLiteral("to"), QStringLiteral("Last attenuation in dB."), QStringLiteral("B")});
    command.AddOption({QStringLiteral("step"),
                       QStringLiteral("Step size in dB, positive; the direction follows from A "
                                      "and B."),
                       QStringLiteral("S")});
    AddSequenceOptions(command);
    return command;
}

int RunSweep(const QStringList& arguments) {
    Subcommand command = DeclareSweep();
    if (!ParseSequence(command, arguments)) {
        return 0;
    }
    const double from = ParseDb(command.Required(QStringLiteral("from")), QStringLiteral("from"));
    const double to = ParseDb(command.Required(QStringLiteral("to")), QStringLiteral("to"));
    const double step = ParseDb(command.Required(QStringLiteral("step")), QStringLiteral("step"));
    const std::optional<std::vector<double>> values = SweepValues(from, to, step);
    if (!values) {
        throw CommandFailure{kExitUsage,
                             QStringLiteral("--step %1 does not make a sweep from %2 to %3 dB. "
                                            "Give a positive step that makes at most 100000 "
                                            "values.")
                                 .arg(DbText(step), DbText(from), DbText(to))};
    }
    return RunTimedSequence(command, *values);
}

Subcommand DeclareHop() {
    Subcommand command(
        QStringLiteral("hop"), QStringLiteral("--model M --list A,B,C... --dwell T [options]"),
        QStringLiteral("Hops through the listed attenuations, each for T. ") + TimingDescription(),
        true);
    command.AddOption({QStringLiteral("list"),
                       QStringLiteral("The attenuations in dB, separated by commas (or by "
                                      "semicolons, where the decimal separator is a comma)."),
                       QStringLiteral("A,B,C")});
    AddSequenceOptions(command);
    return command;
}

int RunHop(const QStringList& arguments) {
    Subcommand command = DeclareHop();
    if (!ParseSequence(command, arguments)) {
        return 0;
    }
    std::vector<double> values;
    for (const QString& item : ListItems(command.Required(QStringLiteral("list")))) {
        values.push_back(ParseDb(item, QStringLiteral("list")));
    }
    return RunTimedSequence(command, values);
}
