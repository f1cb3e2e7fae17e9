// MODel, LE, ATTenuation, STEP:WORD and, on the simulated board, BOARD:LATChed?.

#include "server/Instrument.h"

#include <cmath>

#include "core/BoardReadout.h"
#include "core/ControlWord.h"
#include "server/InstrumentCall.h"

using namespace scpi;

// MODel and LE

void Instrument::SetModel(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    const QByteArray& param = call.unit.params[0];
    const std::optional<QByteArray> quoted = Unquote(param);
    const ModelProfile* model = nullptr;
    if (quoted) {
        model = FindModel(QString::fromLatin1(*quoted));
    } else {
        int error = 0;
        const std::optional<Number> number = ParseNumber(param, Suffix::None, error);
        if (number && number->kind == Number::Kind::Value) {
            const double position = number->value;
            if (position != std::floor(position) || position < 1 ||
                position > static_cast<double>(ModelProfiles().size())) {
                call.Fail(
                    kDataOutOfRange,
                    QStringLiteral("the list positions are 1 to %1").arg(ModelProfiles().size()));
                return;
            }
            model = ProfileAt(static_cast<int>(position) - 1);
        } else {
            model = FindModel(QString::fromLatin1(param));
        }
    }
    if (model == nullptr) {
        call.Fail(kIllegalParameterValue, QStringLiteral("no such model; see MODel:CATalog?"));
        return;
    }
    session_.SelectModel(model);
}

void Instrument::ModelQuery(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    const ModelProfile* model = session_.Model();
    call.reply = model == nullptr ? QByteArray("0,\"\"")
                                  : QByteArray::number(model->position + 1) + ",\"" +
                                        model->key.toLatin1() + '"';
}

void Instrument::ModelCatalogue(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    QList<QByteArray> keys;
    for (const ModelProfile& model : ModelProfiles()) {
        keys.append('"' + model.key.toLatin1() + '"');
    }
    call.reply = keys.join(',');
}

void Instrument::SetLe(Call& call) {
    const std::optional<Number> number = call.SoleNumber(Suffix::None, Call::Takes::AnyKeyword);
    if (!number) {
        return;
    }
    double le = number->value;
    if (number->kind == Number::Kind::Minimum) {
        le = 1;
    } else if (number->kind == Number::Kind::Maximum) {
        le = kLeLineCount;
    } else if (number->kind == Number::Kind::Infinity) {
        le = -1;
    }
    if (le != std::floor(le) || !session_.SetLe(static_cast<int>(le))) {
        call.Fail(kDataOutOfRange, QStringLiteral("LE lines are 1 to %1").arg(kLeLineCount));
    }
}

void Instrument::LeQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(session_.Le());
    }
}

// ATTenuation and STEP:WORD

void Instrument::SetAttenuation(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    const std::optional<double> db = DbParameter(call, call.unit.params[0]);
    if (!db) {
        return;
    }
    const std::optional<ControlWord> word = WordFor(call, *db);
    if (word && !LoadReported(*word, &call.client)) {
        call.failed = true;
    }
}

void Instrument::AttenuationQuery(Call& call) {
    if (!call.Expect(0, 1)) {
        return;
    }
    const ModelProfile* model = session_.Model();
    if (!call.unit.params.isEmpty()) {
        const QByteArray which = call.unit.params[0].toUpper();
        const bool min = which == "MIN" || which == "MINIMUM";
        const bool max = which == "MAX" || which == "MAXIMUM";
        if (!min && !max) {
            call.Fail(kIllegalParameterValue, QStringLiteral("MIN or MAX"));
            return;
        }
        if (max && RequireModel(call) == nullptr) {
            return;
        }
        call.reply = NumberReply(min ? 0.0 : model->maxDb);
        return;
    }
    // Nothing loaded on the line (or no model): all steps off.
    const std::optional<ControlWord> word = session_.LoadedOnSelection();
    call.reply = NumberReply(model != nullptr && word ? AttenuationOf(*model, *word) : 0.0);
}

void Instrument::ResolutionQuery(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    if (const ModelProfile* model = RequireModel(call)) {
        call.reply = NumberReply(model->resolutionDb);
    }
}

void Instrument::SetStepWord(Call& call) {
    const std::optional<Number> number = call.SoleNumber(Suffix::None, Call::Takes::NumberOnly);
    if (!number) {
        return;
    }
    const ModelProfile* model = RequireModel(call);
    if (model == nullptr) {
        return;
    }
    const double value = number->value;
    if (value != std::floor(value) || value < 0 || value > 255 ||
        !WordFitsModel(*model, static_cast<ControlWord>(value))) {
        call.Fail(kDataOutOfRange, QStringLiteral("%1 switches steps %2 lacks (its steps are %3)")
                                       .arg(NumberText(value, QLocale::c()), model->key)
                                       .arg(model->availableMask));
        return;
    }
    if (!LoadReported(static_cast<ControlWord>(value), &call.client)) {
        call.failed = true;
    }
}

void Instrument::StepWordQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(session_.LoadedOnSelection().value_or(0));
    }
}

// BOARD (the simulated board only)

void Instrument::LatchedQuery(Call& call) {
    if (!options_.simulated) {
        call.Fail(kUndefinedHeader, QStringLiteral("BOARD is there with --simulate only"));
        return;
    }
    if (!call.Expect(1, 1)) {
        return;
    }
    const ModelProfile* model = RequireModel(call);
    if (model == nullptr) {
        return;
    }
    const BoardState board = board_.SimulatedState();
    const QByteArray which = call.unit.params[0].toUpper();
    DeviceReadout readout;
    if (MatchesMnemonic(which, "PARallel")) {
        readout = ParallelDeviceReadout(board, *model);
    } else {
        int error = 0;
        const std::optional<Number> number = ParseNumber(which, Suffix::None, error);
        if (!number || number->kind != Number::Kind::Value) {
            call.Fail(kIllegalParameterValue, QStringLiteral("1 to 6 or PAR"));
            return;
        }
        const double le = number->value;
        if (le != std::floor(le) || le < 1 || le > kLeLineCount) {
            call.Fail(kDataOutOfRange, QStringLiteral("LE lines are 1 to %1").arg(kLeLineCount));
            return;
        }
        readout = SerialDeviceReadout(board, static_cast<int>(le), *model);
    }
    call.reply = NumberReply(readout.db) + ',' + QByteArray::number(readout.word);
}
