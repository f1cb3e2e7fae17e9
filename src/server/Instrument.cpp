// The instrument's command table, how a line is run through it, and the
// Loads and value look-ups the handlers share.

#include "server/Instrument.h"

#include <cmath>
#include <cstdio>

#include "core/CollectingNotifier.h"
#include "core/ControlWord.h"
#include "server/InstrumentCall.h"
#include "server/SweepClock.h"

using namespace scpi;

namespace {

struct PatternNode {
    Mnemonic mnemonic;
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
            nodes.push_back({Mnemonic(mnemonic), optional});
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

bool MatchNodes(const QList<QByteArray>& typed, qsizetype i,
                const std::vector<PatternNode>& pattern, std::size_t j) {
    if (j == pattern.size()) {
        return i == typed.size();
    }
    if (i < typed.size() && pattern[j].mnemonic.Matches(typed[i]) &&
        MatchNodes(typed, i + 1, pattern, j + 1)) {
        return true;
    }
    return pattern[j].optional && MatchNodes(typed, i, pattern, j + 1);
}

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
            {"SWEep:LATE", true, false, &I::SweepLateQuery, {}},
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

Instrument::Instrument(Board& board, CollectingNotifier& notifier, int32_t port, Options options,
                       QObject* parent)
    : QObject(parent), board_(board), notifier_(notifier), options_(std::move(options)),
      session_(board, port), clock_(new SweepClock(options_.stop, this)) {}

Instrument::~Instrument() = default;

std::optional<QByteArray> Instrument::Execute(const std::shared_ptr<ClientStatus>& client,
                                              QByteArrayView line) {
    QByteArray reply;
    if (!ExecuteInto(client, line, reply)) {
        return std::nullopt;
    }
    reply.chop(1);
    return reply;
}

bool Instrument::ExecuteInto(const std::shared_ptr<ClientStatus>& client, QByteArrayView line,
                             QByteArray& replies) {
    UnitViews texts;
    SplitUnitViews(line, texts);
    QVarLengthArray<MessageUnit, 2> units(texts.size());
    bool hasQuery = false;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        ParseUnitBorrowed(texts[i], units[i]);
        hasQuery = hasQuery || units[i].query;
    }
    // The responses go straight to the end of `replies`, joined by ";".
    int responses = 0;
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
            client->Report(kSettingsConflict, SweepRunningDetail());
            continue;
        }
        Call call{unit, *client, client, {}, false, false};
        (this->*command->run)(call);
        if (unit.query && !call.failed) {
            if (responses++ > 0) {
                replies.append(';');
            }
            replies.append(call.reply);
        }
        if (call.endLine) {
            break;
        }
    }
    if (!hasQuery) {
        return false;
    }
    replies.append('\n');
    return true;
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
    board_.ForgetSimulatedAccesses(); // nobody reads it here; it would only grow
    const auto report = [this, client](int code, const std::string& detail) {
        if (client != nullptr) {
            client->Report(code, QString::fromStdString(detail));
            return;
        }
        // A sweep's step: a client starting failing sweeps in a loop must not
        // fill the log either.
        const QString line =
            QStringLiteral("%1: %2").arg(ErrorText(code), QString::fromStdString(detail));
        for (const QString& text : sweepLog_.Offer(line, LogLimit::Clock::now())) {
            std::fprintf(stderr, "dsactl serve: %s\n", qPrintable(text));
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
        call.Fail(kSettingsConflict, NoModelDetail());
    }
    return model;
}

// An attenuation parameter: a number of dB, or MIN/MAX of the selected model.
std::optional<double> Instrument::DbParameter(Call& call, const QByteArray& param) {
    const std::optional<Number> number =
        call.NumberParameter(param, Suffix::Decibel, Call::Takes::MinMax);
    if (!number) {
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
    const AttenuationResolution resolution = ResolveAttenuation(*model, db, options_.nearest);
    if (resolution.outcome == AttenuationResolution::Outcome::OutOfRange) {
        call.Fail(kDataOutOfRange, QStringLiteral("%1 is outside 0 to %2 of %3")
                                       .arg(DbDetail(db), DbDetail(model->maxDb), model->key));
        return std::nullopt;
    }
    if (resolution.HasWord()) {
        return resolution.word;
    }
    call.Fail(kDataOutOfRange, QStringLiteral("%3 cannot make %1; nearest %2")
                                   .arg(DbDetail(db),
                                        NumberText(resolution.belowDb, QLocale::c()) +
                                            QStringLiteral(" and ") + DbDetail(resolution.aboveDb),
                                        model->key));
    return std::nullopt;
}
