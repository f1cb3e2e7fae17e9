// The SWEep subsystem, INITiate and ABORt: a timed sequence on the board.

#include "server/SweepCommands.h"

#include <chrono>
#include <cmath>

#include "server/CommandCall.h"
#include "server/CommandTable.h"
#include "server/Instrument.h"
#include "server/SweepClock.h"

using namespace scpi;

namespace {

// The shortest sweep dwell: the event loop must get time between steps.
constexpr double kShortestDwell = 0.001;
constexpr double kLongestDwell = 3600.0;
constexpr long kMostPasses = 1000000000L;
constexpr std::size_t kMostSweepPoints = 100000;

} // namespace

SweepCommands::SweepCommands(Instrument& instrument, SweepClock& clock)
    : instrument_(instrument), clock_(clock) {}

void SweepCommands::AddTo(CommandTable& table) {
    using S = SweepCommands;
    using Form = CommandTable::Form;
    const CommandTable::Row<S> rows[] = {
        {"SWEep:STARt", Form::Setting, &S::SetSweepStart},
        {"SWEep:STARt", Form::Query, &S::SweepStartQuery},
        {"SWEep:STOP", Form::Setting, &S::SetSweepStop},
        {"SWEep:STOP", Form::Query, &S::SweepStopQuery},
        {"SWEep:STEP", Form::Setting, &S::SetSweepStep},
        {"SWEep:STEP", Form::Query, &S::SweepStepQuery},
        {"SWEep:DWELl", Form::Setting, &S::SetSweepDwell},
        {"SWEep:DWELl", Form::Query, &S::SweepDwellQuery},
        {"SWEep:LIST", Form::Setting, &S::SetSweepList},
        {"SWEep:LIST", Form::Query, &S::SweepListQuery},
        {"SWEep:MODE", Form::Setting, &S::SetSweepMode},
        {"SWEep:MODE", Form::Query, &S::SweepModeQuery},
        {"SWEep:COUNt", Form::Setting, &S::SetSweepCount},
        {"SWEep:COUNt", Form::Query, &S::SweepCountQuery},
        {"SWEep:POINts", Form::Query, &S::SweepPointsQuery},
        {"SWEep:STATe", Form::Query, &S::SweepStateQuery},
        {"SWEep:LATE", Form::Query, &S::SweepLateQuery},
        {"INITiate[:IMMediate]", Form::Command, &S::Initiate},
        {"ABORt", Form::Command, &S::Abort},
    };
    table.Add(*this, rows);
}

void SweepCommands::Stop() {
    clock_.Abort();
    sweepOwner_.reset();
}

void SweepCommands::ResetSettings() {
    sweep_ = SweepSettings();
}

// SWEep, INITiate, ABORt

// A value of a sweep: an attenuation parameter of 0 dB or more.
std::optional<double> SweepCommands::SweepDbParameter(CommandCall& call, const QByteArray& param) {
    const std::optional<double> db = instrument_.DbParameter(call, param);
    if (db && *db < 0) {
        call.Fail(kDataOutOfRange, QStringLiteral("attenuation is 0 dB or more"));
        return std::nullopt;
    }
    return db;
}

void SweepCommands::SetSweepBound(CommandCall& call, double& bound) {
    if (!call.Expect(1, 1)) {
        return;
    }
    if (const std::optional<double> db = SweepDbParameter(call, call.unit.params[0])) {
        bound = *db;
    }
}

void SweepCommands::SetSweepStart(CommandCall& call) {
    SetSweepBound(call, sweep_.start);
}

void SweepCommands::SweepStartQuery(CommandCall& call) {
    call.ReplyNumber(sweep_.start);
}

void SweepCommands::SetSweepStop(CommandCall& call) {
    SetSweepBound(call, sweep_.stop);
}

void SweepCommands::SweepStopQuery(CommandCall& call) {
    call.ReplyNumber(sweep_.stop);
}

void SweepCommands::SetSweepStep(CommandCall& call) {
    const std::optional<Number> number =
        call.SoleNumber(Suffix::Decibel, CommandCall::Takes::MinMax);
    if (!number) {
        return;
    }
    double step = number->value;
    if (number->kind != Number::Kind::Value) {
        const ModelProfile* model = instrument_.RequireModel(call);
        if (model == nullptr) {
            return;
        }
        step = number->kind == Number::Kind::Minimum ? model->resolutionDb : model->maxDb;
    }
    if (!(step > 0)) {
        call.Fail(kDataOutOfRange, QStringLiteral("the step is more than 0 dB"));
        return;
    }
    sweep_.step = step;
}

void SweepCommands::SweepStepQuery(CommandCall& call) {
    call.ReplyNumber(sweep_.step);
}

void SweepCommands::SetSweepDwell(CommandCall& call) {
    const std::optional<Number> number =
        call.SoleNumber(Suffix::Second, CommandCall::Takes::MinMax);
    if (!number) {
        return;
    }
    double seconds = number->value;
    if (number->kind == Number::Kind::Minimum) {
        seconds = kShortestDwell;
    } else if (number->kind == Number::Kind::Maximum) {
        seconds = kLongestDwell;
    }
    if (seconds < kShortestDwell - 1e-12 || seconds > kLongestDwell) {
        call.Fail(kDataOutOfRange, QStringLiteral("the dwell is 1 ms to 3600 s"));
        return;
    }
    sweep_.dwellSeconds = seconds;
}

void SweepCommands::SweepDwellQuery(CommandCall& call) {
    call.ReplyNumber(sweep_.dwellSeconds);
}

void SweepCommands::SetSweepList(CommandCall& call) {
    if (!call.Expect(1, static_cast<int>(kMostSweepPoints))) {
        return;
    }
    std::vector<double> list;
    for (const QByteArray& param : call.unit.params) {
        const std::optional<double> db = SweepDbParameter(call, param);
        if (!db) {
            return;
        }
        list.push_back(*db);
    }
    sweep_.list = std::move(list);
}

void SweepCommands::SweepListQuery(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    QList<QByteArray> values;
    for (const double db : sweep_.list) {
        values.append(NumberReply(db));
    }
    call.reply = values.join(',');
}

void SweepCommands::SetSweepMode(CommandCall& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    const QByteArray mode = call.unit.params[0].toUpper();
    if (MatchesMnemonic(mode, "LINear")) {
        sweep_.listMode = false;
    } else if (mode == "LIST") {
        sweep_.listMode = true;
    } else {
        call.Fail(kIllegalParameterValue, QStringLiteral("LIN or LIST"));
    }
}

void SweepCommands::SweepModeQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = sweep_.listMode ? "LIST" : "LIN";
    }
}

void SweepCommands::SetSweepCount(CommandCall& call) {
    const std::optional<Number> number =
        call.SoleNumber(Suffix::None, CommandCall::Takes::AnyKeyword);
    if (!number) {
        return;
    }
    switch (number->kind) {
    case Number::Kind::Minimum:
        sweep_.count = 1;
        return;
    case Number::Kind::Maximum:
    case Number::Kind::Infinity:
        sweep_.count = 0;
        return;
    case Number::Kind::Value:
        break;
    }
    const double count = number->value;
    if (count != std::floor(count) || count < 1 || count > static_cast<double>(kMostPasses)) {
        call.Fail(kDataOutOfRange, QStringLiteral("the count is 1 to %1 or INF").arg(kMostPasses));
        return;
    }
    sweep_.count = static_cast<long>(count);
}

void SweepCommands::SweepCountQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = sweep_.count == 0 ? QByteArray("INF") : QByteArray::number(sweep_.count);
    }
}

std::optional<std::vector<double>> SweepCommands::SweepPoints(CommandCall* call) const {
    if (sweep_.listMode) {
        if (sweep_.list.empty() && call != nullptr) {
            call->Fail(kSettingsConflict, QStringLiteral("the sweep list is empty"));
            return std::nullopt;
        }
        return sweep_.list;
    }
    std::optional<std::vector<double>> values =
        SweepValues(sweep_.start, sweep_.stop, sweep_.step, kMostSweepPoints);
    if (!values && call != nullptr) {
        call->Fail(kDataOutOfRange, QStringLiteral("more than %1 points").arg(kMostSweepPoints));
    }
    return values;
}

void SweepCommands::SweepPointsQuery(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    if (const std::optional<std::vector<double>> values = SweepPoints(&call)) {
        call.reply = QByteArray::number(static_cast<qulonglong>(values->size()));
    }
}

void SweepCommands::SweepStateQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = clock_.Running() ? "1" : "0";
    }
}

// How late the steps of the sweep under way, or of the last one, were: the
// number of late steps, the largest lateness and the slip, both in seconds.
void SweepCommands::SweepLateQuery(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    const SequenceLateness& lateness = clock_.Lateness();
    const auto seconds = [](std::chrono::nanoseconds duration) {
        return NumberReply(static_cast<double>(duration.count()) / 1e9);
    };
    call.reply = QByteArray::number(static_cast<qulonglong>(lateness.lateSteps)) + ',' +
                 seconds(lateness.most) + ',' + seconds(lateness.slip);
}

std::optional<std::vector<ControlWord>> SweepCommands::WordsFor(CommandCall& call,
                                                                const std::vector<double>& values) {
    std::vector<ControlWord> words;
    for (const double db : values) {
        const std::optional<ControlWord> word = instrument_.WordFor(call, db);
        if (!word) {
            return std::nullopt;
        }
        words.push_back(*word);
    }
    return words;
}

void SweepCommands::Initiate(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    if (clock_.Running()) {
        call.Fail(kInitIgnored, SweepRunningDetail());
        return;
    }
    if (instrument_.RequireModel(call) == nullptr) {
        return;
    }
    const std::optional<std::vector<double>> values = SweepPoints(&call);
    if (!values) {
        return;
    }
    std::optional<std::vector<ControlWord>> words = WordsFor(call, *values);
    if (!words) {
        return;
    }
    sweepWords_ = std::move(*words);
    sweepOwner_ = call.owner;
    SequencePlan plan;
    plan.values = *values;
    plan.dwell = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(sweep_.dwellSeconds));
    plan.repeat = sweep_.count;
    // A sweep belongs to the instrument, not to the connection that started
    // it: it keeps running when that client goes away, until its count is
    // done or any client sends ABORt (or *RST). Its errors go to the error
    // queue it was started with (the instrument's), else to standard error.
    clock_.Start(
        plan,
        [this](const SequenceStep& step) {
            const std::shared_ptr<ClientStatus> owner = sweepOwner_.lock();
            return instrument_.LoadReported(sweepWords_[step.index], owner.get());
        },
        [this](SequenceEnd end) { SweepEnded(end); });
}

void SweepCommands::SweepEnded(SequenceEnd end) {
    static_cast<void>(end);
    sweepOwner_.reset();
}

void SweepCommands::Abort(CommandCall& call) {
    if (call.Expect(0, 0)) {
        Stop();
    }
}
