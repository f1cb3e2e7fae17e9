#include "server/Instrument.h"

#include <QLocale>
#include <cmath>
#include <cstdio>

#include "core/ControlWord.h"
#include "core/HexAddress.h"
#include "core/NumberText.h"
#include "port/PortAccess.h"
#include "port/SimulatedBoard.h"
#include "server/CollectingNotifier.h"
#include "server/SweepClock.h"

using namespace scpi;

// What a handler gets: the unit, the client, and where its response goes.
struct Instrument::Call {
    const MessageUnit& unit;
    ClientStatus& client;
    const std::shared_ptr<ClientStatus>& owner;
    QByteArray reply;
    bool failed = false;
    bool endLine = false; // a command error: the rest of the line is dropped

    void Fail(int code, const QString& detail = QString()) {
        client.Report(code, detail);
        failed = true;
        endLine = endLine || (code <= -100 && code > -200);
    }
    // Checks the parameter count; reports -109 or -108 otherwise.
    bool Expect(int least, int most) {
        const auto count = unit.params.size();
        if (count < least) {
            Fail(kMissingParameter);
            return false;
        }
        if (count > most) {
            Fail(kParameterNotAllowed);
            return false;
        }
        return true;
    }
};

namespace {

// The shortest sweep dwell: the event loop must get time between steps.
constexpr double kShortestDwell = 0.001;
constexpr double kLongestDwell = 3600.0;
constexpr long kMostPasses = 1000000000L;
constexpr std::size_t kMostSweepPoints = 100000;

struct PatternNode {
    QByteArray mnemonic;
    bool optional = false;
};

struct Command {
    const char* pattern; // nodes with their short form in capitals, [:OPTional] nodes
    bool query;
    // Refused with -221 while a sweep runs.
    bool setting;
    Instrument::Handler run;
    std::vector<PatternNode> nodes;
};

std::vector<PatternNode> ParsePattern(const char* pattern) {
    std::vector<PatternNode> nodes;
    QByteArray text(pattern);
    bool optional = false;
    QByteArray mnemonic;
    auto flush = [&] {
        if (!mnemonic.isEmpty()) {
            nodes.push_back({mnemonic, optional});
            mnemonic.clear();
        }
    };
    for (const char c : text) {
        if (c == '[') {
            flush();
            optional = true;
        } else if (c == ']') {
            flush();
            optional = false;
        } else if (c == ':') {
            flush();
        } else {
            mnemonic.append(c);
        }
    }
    flush();
    return nodes;
}

bool MatchNodes(const QList<QByteArray>& typed, qsizetype i, const std::vector<PatternNode>& pattern,
                std::size_t j) {
    if (j == pattern.size()) {
        return i == typed.size();
    }
    if (i < typed.size() && MatchesMnemonic(typed[i], pattern[j].mnemonic.constData()) &&
        MatchNodes(typed, i + 1, pattern, j + 1)) {
        return true;
    }
    return pattern[j].optional && MatchNodes(typed, i, pattern, j + 1);
}

QByteArray NumberReply(double value) {
    return NumberText(value, QLocale::c()).toLatin1();
}

QByteArray HexReply(int32_t port) {
    return QByteArray::number(static_cast<uint32_t>(port), 16).toUpper();
}

QString DbText(double db) {
    return NumberText(db, QLocale::c()) + QStringLiteral(" dB");
}

const QString kNoModel = QStringLiteral("no model selected; send MODel first");
const QString kSweepRunning = QStringLiteral("a sweep is running; send ABORt first");

} // namespace

// Every command the instrument knows, in one table.
struct CommandTable {
    static std::vector<Command> Build();
};

std::vector<Command> CommandTable::Build() {
    using I = Instrument;
    {
        std::vector<Command> list = {
            {"*IDN", true, false, &I::Idn, {}},
            {"*RST", false, false, &I::Rst, {}},
            {"*CLS", false, false, &I::Cls, {}},
            {"*OPC", false, false, &I::Opc, {}},
            {"*OPC", true, false, &I::OpcQuery, {}},
            {"*WAI", false, false, &I::Wai, {}},
            {"*TST", true, false, &I::Tst, {}},
            {"*ESE", false, false, &I::Ese, {}},
            {"*ESE", true, false, &I::EseQuery, {}},
            {"*ESR", true, false, &I::EsrQuery, {}},
            {"*STB", true, false, &I::StbQuery, {}},
            {"SYSTem:ERRor[:NEXT]", true, false, &I::ErrorNext, {}},
            {"SYSTem:ERRor:COUNt", true, false, &I::ErrorCount, {}},
            {"SYSTem:VERSion", true, false, &I::Version, {}},
            {"SYSTem:PORT", false, true, &I::SetPort, {}},
            {"SYSTem:PORT", true, false, &I::PortQuery, {}},
            {"MODel", false, true, &I::SetModel, {}},
            {"MODel", true, false, &I::ModelQuery, {}},
            {"MODel:CATalog", true, false, &I::ModelCatalogue, {}},
            {"LE", false, true, &I::SetLe, {}},
            {"LE", true, false, &I::LeQuery, {}},
            {"ATTenuation", false, true, &I::SetAttenuation, {}},
            {"ATTenuation", true, false, &I::AttenuationQuery, {}},
            {"ATTenuation:RESolution", true, false, &I::ResolutionQuery, {}},
            {"STEP:WORD", false, true, &I::SetStepWord, {}},
            {"STEP:WORD", true, false, &I::StepWordQuery, {}},
            {"SWEep:STARt", false, true, &I::SetSweepStart, {}},
            {"SWEep:STARt", true, false, &I::SweepStartQuery, {}},
            {"SWEep:STOP", false, true, &I::SetSweepStop, {}},
            {"SWEep:STOP", true, false, &I::SweepStopQuery, {}},
            {"SWEep:STEP", false, true, &I::SetSweepStep, {}},
            {"SWEep:STEP", true, false, &I::SweepStepQuery, {}},
            {"SWEep:DWELl", false, true, &I::SetSweepDwell, {}},
            {"SWEep:DWELl", true, false, &I::SweepDwellQuery, {}},
            {"SWEep:LIST", false, true, &I::SetSweepList, {}},
            {"SWEep:LIST", true, false, &I::SweepListQuery, {}},
            {"SWEep:MODE", false, true, &I::SetSweepMode, {}},
            {"SWEep:MODE", true, false, &I::SweepModeQuery, {}},
            {"SWEep:COUNt", false, true, &I::SetSweepCount, {}},
            {"SWEep:COUNt", true, false, &I::SweepCountQuery, {}},
            {"SWEep:POINts", true, false, &I::SweepPointsQuery, {}},
            {"SWEep:STATe", true, false, &I::SweepStateQuery, {}},
            {"INITiate[:IMMediate]", false, false, &I::Initiate, {}},
            {"ABORt", false, false, &I::Abort, {}},
            {"BOARD:LATChed", true, false, &I::LatchedQuery, {}},
        };
        for (Command& command : list) {
            command.nodes = ParsePattern(command.pattern);
        }
        return list;
    }
}

namespace {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = CommandTable::Build();
    return commands;
}

const Command* FindCommand(const QList<QByteArray>& nodes, bool common, bool query) {
    for (const Command& command : Commands()) {
        if (command.query != query || (command.pattern[0] == '*') != common) {
            continue;
        }
        if (MatchNodes(nodes, 0, command.nodes, 0)) {
            return &command;
        }
    }
    return nullptr;
}

} // namespace

Instrument::Instrument(PortAccess& access, CollectingNotifier& notifier, int32_t port,
                       Options options, QObject* parent)
    : QObject(parent), access_(access), notifier_(notifier), options_(std::move(options)),
      session_(access, port), clock_(new SweepClock(options_.stop, this)) {}

Instrument::~Instrument() = default;

std::optional<QByteArray> Instrument::Execute(const std::shared_ptr<ClientStatus>& client,
                                              const QByteArray& line) {
    QList<MessageUnit> units;
    bool hasQuery = false;
    for (const QByteArray& text : SplitUnits(line)) {
        units.append(ParseUnit(text));
        hasQuery = hasQuery || units.back().query;
    }
    QList<QByteArray> responses;
    // After a command, a header without a leading ":" is looked up below the
    // same node first ("SWE:STAR 1;STOP 10"), then from the root.
    QList<QByteArray> path;
    for (const MessageUnit& unit : units) {
        if (unit.error != 0) {
            client->Report(unit.error);
            break;
        }
        const Command* command = nullptr;
        QList<QByteArray> nodes = unit.nodes;
        if (!unit.common && !unit.absolute && !path.isEmpty()) {
            command = FindCommand(path + unit.nodes, false, unit.query);
            if (command != nullptr) {
                nodes = path + unit.nodes;
            }
        }
        if (command == nullptr) {
            command = FindCommand(unit.nodes, unit.common, unit.query);
        }
        if (command == nullptr) {
            client->Report(kUndefinedHeader, QString::fromLatin1(unit.nodes.join(':')) +
                                                 (unit.query ? QStringLiteral("?") : QString()));
            break;
        }
        if (!unit.common) {
            path = nodes.mid(0, nodes.size() - 1);
        }
        if (command->setting && SweepRunning()) {
            client->Report(kSettingsConflict, kSweepRunning);
            continue;
        }
        Call call{unit, *client, client, {}, false, false};
        (this->*command->run)(call);
        if (unit.query && !call.failed) {
            responses.append(call.reply);
        }
        if (call.endLine) {
            break;
        }
    }
    if (!hasQuery) {
        return std::nullopt;
    }
    return responses.join(';');
}

bool Instrument::SweepRunning() const {
    return clock_->Running();
}

void Instrument::AbortSweep() {
    clock_->Abort();
    sweepOwner_.reset();
}

bool Instrument::LoadReported(ControlWord word, ClientStatus* client) {
    const BoardSession::Result result = session_.LoadWord(word);
    const std::vector<std::string> messages = notifier_.Take();
    if (options_.simulated != nullptr) {
        options_.simulated->ClearLog(); // nobody reads it here; it would only grow
    }
    const auto report = [client](int code, const std::string& detail) {
        if (client != nullptr) {
            client->Report(code, QString::fromStdString(detail));
        } else {
            std::fprintf(stderr, "dsactl serve: %s: %s\n", qPrintable(ErrorText(code)),
                         detail.c_str());
        }
    };
    if (result.problem != PortProblem::None) {
        std::string reason = result.reason;
        if (reason.empty() && !messages.empty()) {
            reason = messages.front();
        }
        report(kPortNotAvailable, reason);
        return false;
    }
    if (!result.outcome.verified) {
        // A data write that does not read back ends a transfer before the latch.
        std::string detail = result.outcome.latched ? "" : "nothing was latched";
        for (const std::string& message : messages) {
            detail += (detail.empty() ? "" : "; ") + message;
        }
        report(kWriteNotVerified, detail);
        return false;
    }
    // Read errors that a later try got past.
    for (const std::string& message : messages) {
        report(kPortReadError, message);
    }
    return true;
}

const ModelProfile* Instrument::RequireModel(Call& call) {
    const ModelProfile* model = session_.Model();
    if (model == nullptr) {
        call.Fail(kSettingsConflict, kNoModel);
    }
    return model;
}

// An attenuation parameter: a number of dB, or MIN/MAX of the selected model.
std::optional<double> Instrument::DbParameter(Call& call, const QByteArray& param) {
    int error = 0;
    const std::optional<Number> number = ParseNumber(param, Suffix::Decibel, error);
    if (!number || number->kind == Number::Kind::Infinity) {
        call.Fail(number ? kIllegalParameterValue : error);
        return std::nullopt;
    }
    if (number->kind == Number::Kind::Value) {
        return number->value;
    }
    const ModelProfile* model = RequireModel(call);
    if (model == nullptr) {
        return std::nullopt;
    }
    return number->kind == Number::Kind::Minimum ? 0.0 : model->maxDb;
}

// The word that makes `db` on the selected model: the exact one, or with
// --nearest the nearest one inside the model's range.
std::optional<ControlWord> Instrument::WordFor(Call& call, double db) {
    const ModelProfile* model = RequireModel(call);
    if (model == nullptr) {
        return std::nullopt;
    }
    const AttenuationLookup lookup = LookUpAttenuation(*model, db);
    if (!lookup.inRange) {
        call.Fail(kDataOutOfRange, QStringLiteral("%1 is outside 0 to %2 of %3")
                                       .arg(DbText(db), DbText(model->maxDb), model->key));
        return std::nullopt;
    }
    if (lookup.word) {
        return lookup.word;
    }
    if (options_.nearest) {
        return NearestWord(*model, db);
    }
    call.Fail(kDataOutOfRange, QStringLiteral("%3 cannot make %1; nearest %2")
                                   .arg(DbText(db),
                                        NumberText(lookup.belowDb, QLocale::c()) +
                                            QStringLiteral(" and ") + DbText(lookup.aboveDb),
                                        model->key));
    return std::nullopt;
}

// ---- IEEE 488.2 common commands

void Instrument::Idn(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "DSA Project,dsactl,0," + options_.version;
    }
}

void Instrument::Rst(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    AbortSweep();
    session_.Reset();
    sweep_ = SweepSettings();
}

void Instrument::Cls(Call& call) {
    if (call.Expect(0, 0)) {
        call.client.Clear();
    }
}

void Instrument::Opc(Call& call) {
    if (call.Expect(0, 0)) {
        call.client.SetOperationComplete();
    }
}

// Every command but INITiate is done when its line has run; a sweep's end is
// seen with SWEep:STATe?.
void Instrument::OpcQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "1";
    }
}

void Instrument::Wai(Call& call) {
    call.Expect(0, 0);
}

void Instrument::Tst(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "0";
    }
}

void Instrument::Ese(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    int error = 0;
    const std::optional<Number> number = ParseNumber(call.unit.params[0], Suffix::None, error);
    if (!number || number->kind != Number::Kind::Value) {
        call.Fail(number ? kIllegalParameterValue : error);
        return;
    }
    const double mask = std::round(number->value);
    if (mask < 0 || mask > 255) {
        call.Fail(kDataOutOfRange, QStringLiteral("the mask is 0 to 255"));
        return;
    }
    call.client.SetEventEnable(static_cast<uint8_t>(mask));
}

void Instrument::EseQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.EventEnable());
    }
}

void Instrument::EsrQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.TakeEventStatus());
    }
}

void Instrument::StbQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.StatusByte());
    }
}

// ---- SYSTem

void Instrument::ErrorNext(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = call.client.TakeError();
    }
}

void Instrument::ErrorCount(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(static_cast<qulonglong>(call.client.ErrorCount()));
    }
}

void Instrument::Version(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "1999.0";
    }
}

void Instrument::SetPort(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    QByteArray text = Unquote(call.unit.params[0]).value_or(call.unit.params[0]);
    if (text.toUpper().startsWith("#H")) {
        text.remove(0, 2);
    }
    const std::optional<int32_t> port = ParseHexAddress(QString::fromLatin1(text));
    if (!port) {
        call.Fail(kIllegalParameterValue,
                  QStringLiteral("the port is a hexadecimal address such as 378"));
        return;
    }
    session_.SetPort(*port);
}

void Instrument::PortQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = HexReply(session_.Port());
    }
}

// ---- MODel and LE

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
                call.Fail(kDataOutOfRange, QStringLiteral("the list positions are 1 to %1")
                                               .arg(ModelProfiles().size()));
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
    if (!call.Expect(1, 1)) {
        return;
    }
    int error = 0;
    const std::optional<Number> number = ParseNumber(call.unit.params[0], Suffix::None, error);
    if (!number) {
        call.Fail(error);
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

// ---- ATTenuation and STEP:WORD

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
    if (!call.Expect(1, 1)) {
        return;
    }
    int error = 0;
    const std::optional<Number> number = ParseNumber(call.unit.params[0], Suffix::None, error);
    if (!number || number->kind != Number::Kind::Value) {
        call.Fail(number ? kIllegalParameterValue : error);
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

// ---- SWEep, INITiate, ABORt

void Instrument::SetSweepStart(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    if (const std::optional<double> db = DbParameter(call, call.unit.params[0])) {
        if (*db < 0) {
            call.Fail(kDataOutOfRange, QStringLiteral("attenuation is 0 dB or more"));
            return;
        }
        sweep_.start = *db;
    }
}

void Instrument::SweepStartQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = NumberReply(sweep_.start);
    }
}

void Instrument::SetSweepStop(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    if (const std::optional<double> db = DbParameter(call, call.unit.params[0])) {
        if (*db < 0) {
            call.Fail(kDataOutOfRange, QStringLiteral("attenuation is 0 dB or more"));
            return;
        }
        sweep_.stop = *db;
    }
}

void Instrument::SweepStopQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = NumberReply(sweep_.stop);
    }
}

void Instrument::SetSweepStep(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    int error = 0;
    const std::optional<Number> number = ParseNumber(call.unit.params[0], Suffix::Decibel, error);
    if (!number || number->kind == Number::Kind::Infinity) {
        call.Fail(number ? kIllegalParameterValue : error);
        return;
    }
    double step = number->value;
    if (number->kind != Number::Kind::Value) {
        const ModelProfile* model = RequireModel(call);
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

void Instrument::SweepStepQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = NumberReply(sweep_.step);
    }
}

void Instrument::SetSweepDwell(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    int error = 0;
    const std::optional<Number> number = ParseNumber(call.unit.params[0], Suffix::Second, error);
    if (!number || number->kind == Number::Kind::Infinity) {
        call.Fail(number ? kIllegalParameterValue : error);
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

void Instrument::SweepDwellQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = NumberReply(sweep_.dwellSeconds);
    }
}

void Instrument::SetSweepList(Call& call) {
    if (!call.Expect(1, static_cast<int>(kMostSweepPoints))) {
        return;
    }
    std::vector<double> list;
    for (const QByteArray& param : call.unit.params) {
        const std::optional<double> db = DbParameter(call, param);
        if (!db) {
            return;
        }
        if (*db < 0) {
            call.Fail(kDataOutOfRange, QStringLiteral("attenuation is 0 dB or more"));
            return;
        }
        list.push_back(*db);
    }
    sweep_.list = std::move(list);
}

void Instrument::SweepListQuery(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    QList<QByteArray> values;
    for (const double db : sweep_.list) {
        values.append(NumberReply(db));
    }
    call.reply = values.join(',');
}

void Instrument::SetSweepMode(Call& call) {
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

void Instrument::SweepModeQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = sweep_.listMode ? "LIST" : "LIN";
    }
}

void Instrument::SetSweepCount(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    int error = 0;
    const std::optional<Number> number = ParseNumber(call.unit.params[0], Suffix::None, error);
    if (!number) {
        call.Fail(error);
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

void Instrument::SweepCountQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = sweep_.count == 0 ? QByteArray("INF") : QByteArray::number(sweep_.count);
    }
}

std::optional<std::vector<double>> Instrument::SweepPoints(Call* call) const {
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

void Instrument::SweepPointsQuery(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    if (const std::optional<std::vector<double>> values = SweepPoints(&call)) {
        call.reply = QByteArray::number(static_cast<qulonglong>(values->size()));
    }
}

void Instrument::SweepStateQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = SweepRunning() ? "1" : "0";
    }
}

void Instrument::Initiate(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    if (SweepRunning()) {
        call.Fail(kInitIgnored, kSweepRunning);
        return;
    }
    if (RequireModel(call) == nullptr) {
        return;
    }
    const std::optional<std::vector<double>> values = SweepPoints(&call);
    if (!values) {
        return;
    }
    // Every value is checked before the first is sent.
    std::vector<ControlWord> words;
    for (const double db : *values) {
        const std::optional<ControlWord> word = WordFor(call, db);
        if (!word) {
            return;
        }
        words.push_back(*word);
    }
    sweepWords_ = std::move(words);
    sweepOwner_ = call.owner;
    SequencePlan plan;
    plan.values = *values;
    plan.dwell = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(sweep_.dwellSeconds));
    plan.repeat = sweep_.count;
    // A sweep belongs to the instrument, not to the connection that started
    // it: it keeps running when that client goes away, until its count is
    // done or any client sends ABORt (or *RST). Its errors go to the client
    // that started it while that one is connected, else to standard error.
    clock_->Start(
        plan,
        [this](const SequenceStep& step) {
            const std::shared_ptr<ClientStatus> owner = sweepOwner_.lock();
            return LoadReported(sweepWords_[step.index], owner.get());
        },
        [this](SequenceEnd end) { SweepEnded(end); });
}

void Instrument::SweepEnded(SequenceEnd end) {
    static_cast<void>(end);
    sweepOwner_.reset();
}

void Instrument::Abort(Call& call) {
    if (call.Expect(0, 0)) {
        AbortSweep();
    }
}

// ---- BOARD (the simulated board only)

void Instrument::LatchedQuery(Call& call) {
    if (options_.simulated == nullptr) {
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
    const BoardDecoder& board = options_.simulated->Board();
    const QByteArray which = call.unit.params[0].toUpper();
    ControlWord word = 0;
    if (MatchesMnemonic(which, "PARallel")) {
        word = WordOfParallelLines(board.ParallelDevice().value);
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
        word = board.SerialDevice(static_cast<int>(le)).value;
    }
    call.reply = NumberReply(AttenuationOf(*model, word)) + ',' + QByteArray::number(word);
}
