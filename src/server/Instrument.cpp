// How a line is run through the command table, and the Loads and value
// look-ups the command subsystems share.

#include "server/Instrument.h"

#include <cmath>
#include <cstdio>

#include "core/CollectingNotifier.h"
#include "core/ControlWord.h"
#include "server/CommandCall.h"
#include "server/SweepClock.h"

using namespace scpi;

namespace {

using Units = QVarLengthArray<MessageUnit, 2>;

// Splits `line` into its units, each parsed in place; true when one of them
// is a query.
bool ParseLine(QByteArrayView line, Units& units) {
    UnitViews texts;
    SplitUnitViews(line, texts);
    units.resize(texts.size());
    bool hasQuery = false;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        ParseUnitBorrowed(texts[i], units[i]);
        hasQuery = hasQuery || units[i].query;
    }
    return hasQuery;
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
    Units units;
    const bool hasQuery = ParseLine(line, units);
    // The responses go straight to the end of `replies`, joined by ";".
    int responses = 0;
    QList<QByteArray> path;
    for (const MessageUnit& unit : units) {
        if (unit.error != 0) {
            client->Report(unit.error);
            break;
        }
        const CommandTable::Command* command = commands_.Find(unit, path);
        if (command == nullptr) {
            client->Report(kUndefinedHeader, QString::fromLatin1(unit.nodes.join(':')) +
                                                 (unit.query ? QStringLiteral("?") : QString()));
            break;
        }
        if (command->setting && SweepRunning()) {
            client->Report(kSettingsConflict, SweepRunningDetail());
            continue;
        }
        CommandCall call{unit, *client, client, {}, false, false};
        command->run(call);
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

CommandTable Instrument::AllCommands() {
    CommandTable table;
    commonCommands_.AddTo(table);
    boardCommands_.AddTo(table);
    sweepCommands_.AddTo(table);
    return table;
}

bool Instrument::SweepRunning() const {
    return clock_->Running();
}

void Instrument::AbortSweep() {
    sweepCommands_.Stop();
}

void Instrument::Reset() {
    AbortSweep();
    session_.Reset();
    sweepCommands_.ResetSettings();
}

bool Instrument::LoadReported(ControlWord word, ClientStatus* client) {
    const BoardSession::Result result = session_.LoadWord(word);
    const std::vector<std::string> messages = notifier_.Take();
    board_.ForgetSimulatedAccesses(); // nobody reads it here; it would only grow
    if (result.outcome.latched) {
        emit Loaded();
    }
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

const ModelProfile* Instrument::RequireModel(CommandCall& call) {
    const ModelProfile* model = session_.Model();
    if (model == nullptr) {
        call.Fail(kSettingsConflict, NoModelDetail());
    }
    return model;
}

std::optional<double> Instrument::DbParameter(CommandCall& call, const QByteArray& param) {
    const std::optional<Number> number =
        call.NumberParameter(param, Suffix::Decibel, CommandCall::Takes::MinMax);
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
std::optional<ControlWord> Instrument::WordFor(CommandCall& call, double db) {
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
