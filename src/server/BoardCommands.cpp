// SYSTem:PORT, MODel, LE, ATTenuation, STEP:WORD and, on the simulated board,
// BOARD:LATChed?.

#include "server/BoardCommands.h"

#include <cmath>

#include "core/Board.h"
#include "core/BoardReadout.h"
#include "core/BoardSession.h"
#include "core/ControlWord.h"
#include "core/HexAddress.h"
#include "server/CommandCall.h"
#include "server/CommandTable.h"
#include "server/Instrument.h"

using namespace scpi;

namespace {

QByteArray HexReply(int32_t port) {
    return HexAddressText(port).toLatin1();
}

} // namespace

BoardCommands::BoardCommands(Instrument& instrument, BoardSession& session, Board& board,
                             bool simulated)
    : instrument_(instrument), session_(session), board_(board), simulated_(simulated) {}

void BoardCommands::AddTo(CommandTable& table) {
    using B = BoardCommands;
    using Form = CommandTable::Form;
    const CommandTable::Row<B> rows[] = {
        {"SYSTem:PORT", Form::Setting, &B::SetPort},
        {"SYSTem:PORT", Form::Query, &B::PortQuery},
        {"MODel", Form::Setting, &B::SetModel},
        {"MODel", Form::Query, &B::ModelQuery},
        {"MODel:CATalog", Form::Query, &B::ModelCatalogue},
        {"LE", Form::Setting, &B::SetLe},
        {"LE", Form::Query, &B::LeQuery},
        {"ATTenuation", Form::Setting, &B::SetAttenuation},
        {"ATTenuation", Form::Query, &B::AttenuationQuery},
        {"ATTenuation:RESolution", Form::Query, &B::ResolutionQuery},
        {"STEP:WORD", Form::Setting, &B::SetStepWord},
        {"STEP:WORD", Form::Query, &B::StepWordQuery},
        {"BOARD:LATChed", Form::Query, &B::LatchedQuery},
    };
    table.Add(*this, rows);
}

// SYSTem:PORT

void BoardCommands::SetPort(CommandCall& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    QByteArray text = Unquote(call.unit.params[0]).value_or(call.unit.params[0]);
    if (LooksLikeAdapterUrl(text.toStdString())) {
        UseAdapter(call, text);
        return;
    }
    if (text.toUpper().startsWith("#H")) {
        text.remove(0, 2);
    }
    const std::optional<int32_t> port = ParseHexAddress(QString::fromLatin1(text));
    if (!port) {
        call.Fail(kIllegalParameterValue,
                  QStringLiteral("the port is a hexadecimal address such as 378"));
        return;
    }
    if (board_.Request().transport == Transport::FtdiAdapter) {
        // An address of a port again: the kernel's parallel ports from now on.
        BoardRequest request = board_.Request();
        request.transport = Transport::ParallelPort;
        board_.Retarget(request);
    }
    session_.SetPort(*port);
}

void BoardCommands::UseAdapter(CommandCall& call, const QByteArray& url) {
    if (simulated_) {
        call.Fail(kSettingsConflict, QStringLiteral("the simulated board takes no adapter"));
        return;
    }
    const std::string problem = AdapterUrlProblem(url.toStdString());
    if (!problem.empty()) {
        call.Fail(kIllegalParameterValue, QString::fromStdString(problem));
        return;
    }
    BoardRequest request = board_.Request();
    request.transport = Transport::FtdiAdapter;
    request.adapterUrl = url.toStdString();
    board_.Retarget(request);
    // The adapter answers at any address; one that sets no port gets the
    // board's usual one.
    if (!Board::PortConfigured(session_.Port())) {
        session_.SetPort(Board::DefaultBase(Transport::FtdiAdapter));
    }
}

void BoardCommands::PortQuery(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    const std::string adapter = board_.AdapterUrl();
    call.reply = adapter.empty() ? HexReply(session_.Port())
                                 : '"' + QByteArray::fromStdString(adapter) + '"';
}

// MODel and LE

void BoardCommands::SetModel(CommandCall& call) {
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

void BoardCommands::ModelQuery(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    const ModelProfile* model = session_.Model();
    call.reply = model == nullptr ? QByteArray("0,\"\"")
                                  : QByteArray::number(model->position + 1) + ",\"" +
                                        model->key.toLatin1() + '"';
}

void BoardCommands::ModelCatalogue(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    QList<QByteArray> keys;
    for (const ModelProfile& model : ModelProfiles()) {
        keys.append('"' + model.key.toLatin1() + '"');
    }
    call.reply = keys.join(',');
}

void BoardCommands::SetLe(CommandCall& call) {
    const std::optional<Number> number =
        call.SoleNumber(Suffix::None, CommandCall::Takes::AnyKeyword);
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

void BoardCommands::LeQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(session_.Le());
    }
}

// ATTenuation and STEP:WORD

void BoardCommands::SetAttenuation(CommandCall& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    const std::optional<double> db = instrument_.DbParameter(call, call.unit.params[0]);
    if (!db) {
        return;
    }
    const std::optional<ControlWord> word = instrument_.WordFor(call, *db);
    if (word && !instrument_.LoadReported(*word, &call.client)) {
        call.failed = true;
    }
}

void BoardCommands::AttenuationQuery(CommandCall& call) {
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
        if (max && instrument_.RequireModel(call) == nullptr) {
            return;
        }
        call.reply = NumberReply(min ? 0.0 : model->maxDb);
        return;
    }
    // Nothing loaded on the line (or no model): all steps off.
    const std::optional<ControlWord> word = session_.LoadedOnSelection();
    call.reply = NumberReply(model != nullptr && word ? AttenuationOf(*model, *word) : 0.0);
}

void BoardCommands::ResolutionQuery(CommandCall& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    if (const ModelProfile* model = instrument_.RequireModel(call)) {
        call.reply = NumberReply(model->resolutionDb);
    }
}

void BoardCommands::SetStepWord(CommandCall& call) {
    const std::optional<Number> number =
        call.SoleNumber(Suffix::None, CommandCall::Takes::NumberOnly);
    if (!number) {
        return;
    }
    const ModelProfile* model = instrument_.RequireModel(call);
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
    if (!instrument_.LoadReported(static_cast<ControlWord>(value), &call.client)) {
        call.failed = true;
    }
}

void BoardCommands::StepWordQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(session_.LoadedOnSelection().value_or(0));
    }
}

// BOARD (the simulated board only)

void BoardCommands::LatchedQuery(CommandCall& call) {
    if (!simulated_) {
        call.Fail(kUndefinedHeader, QStringLiteral("BOARD is there with --simulate only"));
        return;
    }
    if (!call.Expect(1, 1)) {
        return;
    }
    const ModelProfile* model = instrument_.RequireModel(call);
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
