// dsactl sweep and dsactl hop: timed sequences of values on absolute deadlines,
// ended cleanly by Ctrl+C or SIGTERM after the step under way, optionally
// parking the device at a chosen value.
#include "cli/BoardLink.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/PortChoice.h"
#include "cli/SequenceReport.h"
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

// What a sweep or hop was asked to do, every value checked against the model.
struct SequenceOptions {
    const ModelProfile* model = nullptr;
    int le = 0;
    SequencePlan plan;
    std::vector<ControlWord> words; // the word of each of plan.values
    std::optional<std::chrono::nanoseconds> maxLate;
    std::optional<ControlWord> onStopWord;
    bool json = false;
};

// Reads the options of sweep or hop for `values`. Throws CommandFailure (bad usage, or a value
// the model cannot make) before anything touches a port.
SequenceOptions ReadSequenceOptions(const Subcommand& command, const std::vector<double>& values) {
    SequenceOptions options;
    const ModelProfile& model = ModelOption(command);
    options.model = &model;
    options.le = LeOption(command, model);
    const bool nearest = NearestOption(command);
    options.plan.dwell =
        DurationOption(command.Required(QStringLiteral("dwell")), QStringLiteral("dwell"));
    if (const std::optional<QString> text = command.Value(QStringLiteral("max-late"))) {
        options.maxLate = DurationOption(*text, QStringLiteral("max-late"));
    }
    options.plan.repeat = ChooseRepeat(command);
    if (const auto onStop = command.Value(QStringLiteral("on-stop"))) {
        options.onStopWord = WordForDb(model, ParseDb(*onStop, QStringLiteral("on-stop")), nearest);
    }
    // Every value is checked before the first Load, so a run never stops half way
    // for a value the model cannot make.
    for (double value : values) {
        options.words.push_back(WordForDb(model, value, nearest));
        options.plan.values.push_back(AttenuationOf(model, options.words.back()));
    }
    options.json = command.IsSet(QStringLiteral("json"));
    return options;
}

long long MicrosecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::microseconds>(to - from).count();
}

// One run of sweep or hop on a board: loads each step's word on its deadline, prints a line
// for it, keeps the progress line on a terminal up to date, parks the device at --on-stop
// when stopped, and keeps the end record.
class TimedSequence {
public:
    TimedSequence(const QString& name, const SequenceOptions& options, BoardLink& link)
        : name_(name), options_(options), model_(*options.model), link_(link) {}

    // Runs the plan until it completes, a termination signal stops it or a step would start
    // later than --max-late allows.
    const SequenceRecord& Run(const TerminationSignals& stopSignals) {
        const SequenceEnd end = RunSequence(
            options_.plan, stopSignals.StopRequested(),
            [this](SequenceStep& step) { return TakeStep(step); }, &record_.lateness);
        EndProgress();
        record_.stopped = end == SequenceEnd::Stopped;
        if (record_.stopped) {
            if (options_.onStopWord) {
                Park(*options_.onStopWord);
            }
            record_.signal = SignalName(stopSignals.FirstSignal());
        }
        return record_;
    }

private:
    // False ends the run: the step would start too late.
    bool TakeStep(SequenceStep& step) {
        if (step.number == 0) {
            start_ = step.planned;
        }
        // A step before that latched late took this one's point late too.
        const std::chrono::nanoseconds late = step.late + step.latchedLateBefore;
        if (options_.maxLate && late > *options_.maxLate) {
            record_.tooLate = step;
            record_.tooLate->late = late;
            return false;
        }
        const LoadReport report = link_.Load(options_.words[step.index]);
        step.loaded = std::chrono::steady_clock::now();
        ++record_.steps;
        if (!report.verified) {
            ++record_.unverified;
        }
        PrintStep(step, report);
        ShowProgress(step);
        return true;
    }

    void PrintStep(const SequenceStep& step, const LoadReport& report) const {
        if (!options_.json) {
            PrintLatched(report);
            return;
        }
        QJsonObject object = LoadJson(model_, report);
        object.insert(QStringLiteral("step"), static_cast<qint64>(step.number));
        object.insert(QStringLiteral("cycle"), static_cast<qint64>(step.cycle));
        object.insert(QStringLiteral("planned_us"), MicrosecondsBetween(start_, step.planned));
        object.insert(QStringLiteral("actual_us"), MicrosecondsBetween(start_, step.actual));
        PrintJsonLine(object);
    }

    // "sweep: step 3 of 40, 2.5 dB", on the first step and then at most every
    // kProgressInterval.
    void ShowProgress(const SequenceStep& step) {
        const auto now = Clock::now();
        if (!progress_ || (step.number != 0 && now - lastProgress_ < kProgressInterval)) {
            return;
        }
        lastProgress_ = now;
        PrintProgress(QStringLiteral("%1: step %2%3, %4 dB")
                          .arg(name_)
                          .arg(step.number + 1)
                          .arg(total_ == 0 ? QString() : QStringLiteral(" of %1").arg(total_))
                          .arg(DbText(step.db)));
    }

    void Park(ControlWord word) {
        record_.parked = link_.Load(word);
        if (!record_.parked->verified) {
            ++record_.unverified;
        }
    }

    const QString name_;
    const SequenceOptions& options_;
    const ModelProfile& model_;
    BoardLink& link_;
    const bool progress_ = ErrorIsTerminal();
    // The steps of the whole run; 0 when it runs until stopped.
    const std::size_t total_ =
        options_.plan.repeat == 0
            ? 0
            : options_.plan.values.size() * static_cast<std::size_t>(options_.plan.repeat);
    Clock::time_point start_; // the first step's deadline
    Clock::time_point lastProgress_;
    SequenceRecord record_;
};

int RunTimedSequence(Subcommand& command, const std::vector<double>& values) {
    const SequenceOptions options = ReadSequenceOptions(command, values);
    // A second Ctrl+C while stopping does not cut short the Load of --on-stop.
    const TerminationSignals stopSignals(nullptr, TerminationSignals::Second::RequestsAgain);
    const GlobalOptions globals = command.Globals();
    const int32_t port = CommandPort(globals);
    BoardLink link(globals, port, *options.model, options.le);
    ApplyRealTimeOption(command);
    TimedSequence run(command.Name(), options, link);
    const SequenceRecord& record = run.Run(stopSignals);
    PrintSequenceEnd(command.Name(), *options.model, record, options.json);
    ThrowSequenceFailure(record, port, options.maxLate);
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
