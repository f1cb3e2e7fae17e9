// dsactl serve --power-up: the fixed setting or the last state run at start,
// and the state file kept after every Load.
#include "server/PowerUp.h"

#include <cstdio>
#include <memory>

#include "server/Instrument.h"
#include "server/ScpiErrors.h"

namespace {

constexpr int kSweepPollMs = 200;

void Say(const QString& text) {
    std::fprintf(stderr, "dsactl serve: power-up: %s\n", qPrintable(text));
    std::fflush(stderr);
}

struct LineErrors {
    int count = 0;
    bool portMissing = false; // one of them was "port not available"
};

// Runs `line` as a client of its own would and says what it ran, what it
// answered and every error.
LineErrors RunReported(Instrument& instrument, const QByteArray& line) {
    const auto status = std::make_shared<scpi::ClientStatus>();
    const std::optional<QByteArray> reply = instrument.Execute(status, line);
    Say(QString::fromLatin1(line + (reply ? " -> " + *reply : QByteArray())));
    LineErrors errors;
    while (status->ErrorCount() > 0) {
        const QByteArray error = status->TakeError();
        ++errors.count;
        errors.portMissing = errors.portMissing ||
                             error.startsWith(QByteArray::number(scpi::kPortNotAvailable) + ',');
        Say(QStringLiteral("error ") + QString::fromLatin1(error));
    }
    return errors;
}

} // namespace

std::optional<PowerUpSetting> ParsePowerUp(const QString& text) {
    PowerUpSetting setting;
    if (text.compare(QStringLiteral("none"), Qt::CaseInsensitive) == 0) {
        return setting;
    }
    if (text.compare(QStringLiteral("last"), Qt::CaseInsensitive) == 0) {
        setting.mode = PowerUpSetting::Mode::Last;
        return setting;
    }
    if (text.trimmed().isEmpty() || text.contains(QLatin1Char('\n'))) {
        return std::nullopt;
    }
    setting.mode = PowerUpSetting::Mode::Fixed;
    setting.scpi = text.toUtf8();
    return setting;
}

PowerUp::PowerUp(PowerUpSetting setting, Instrument& instrument, QString statePath, QObject* parent)
    : QObject(parent), setting_(std::move(setting)), instrument_(instrument),
      statePath_(std::move(statePath)) {
    sweepWait_.setInterval(kSweepPollMs);
    connect(&sweepWait_, &QTimer::timeout, this, [this] {
        if (!instrument_.SweepRunning()) {
            sweepWait_.stop();
            Write();
        }
    });
}

PowerUp::~PowerUp() {
    if (setting_.mode == PowerUpSetting::Mode::Last && state_.model != nullptr &&
        written_ != state_) {
        Write();
    }
}

void PowerUp::Run() {
    if (setting_.mode == PowerUpSetting::Mode::Fixed) {
        const LineErrors errors = RunReported(instrument_, setting_.scpi);
        if (errors.count > 0) {
            Say(QStringLiteral("%1 error(s); serving all the same").arg(errors.count));
        }
    } else if (setting_.mode == PowerUpSetting::Mode::Last) {
        RestoreLast();
        connect(&instrument_, &Instrument::Loaded, this, &PowerUp::Record);
    }
}

// Loads every word of the file back, each with its model through its line,
// then selects the saved model and line. Until a client's Load succeeds the
// file stays as it was, even when the port could not be used now.
void PowerUp::RestoreLast() {
    const ServeStateRead read = ReadServeState(statePath_);
    if (read.outcome == ServeStateRead::Outcome::Missing) {
        Say(QStringLiteral("no saved state in %1 yet; it is written at the first Load")
                .arg(statePath_));
        return;
    }
    if (read.outcome == ServeStateRead::Outcome::Refused) {
        Say(QStringLiteral("ignoring %1: %2; loading nothing (the next Load replaces it)")
                .arg(statePath_, read.problem));
        return;
    }
    state_ = read.state;
    written_ = read.state;
    Say(QStringLiteral("loading the last state from %1").arg(statePath_));
    const ServeStateLines lines = RestoreLines(read.state);
    int errors = 0;
    for (const QByteArray& line : lines.loads) {
        const LineErrors found = RunReported(instrument_, line);
        errors += found.count;
        if (found.portMissing) {
            Say(QStringLiteral("the port cannot be used now: nothing more is loaded, and the "
                               "state file stays as it was until a Load succeeds"));
            break;
        }
    }
    errors += RunReported(instrument_, lines.selection).count;
    if (errors > 0) {
        Say(QStringLiteral("%1 error(s); serving all the same").arg(errors));
    }
}

void PowerUp::Record() {
    const BoardSession& session = instrument_.Session();
    const ModelProfile* model = session.Model();
    const std::optional<ControlWord> word = session.LoadedOnSelection();
    if (model == nullptr || !word) {
        return;
    }
    const ServeState::Latched latched{model, *word};
    if (model->IsParallel()) {
        state_.parallel = latched;
    } else {
        state_.lines[static_cast<std::size_t>(session.Le())] = latched;
    }
    state_.model = model;
    state_.le = session.Le();
    if (written_ == state_) {
        return;
    }
    if (instrument_.SweepRunning()) {
        if (!sweepWait_.isActive()) {
            sweepWait_.start();
        }
        return;
    }
    Write();
}

// A file that cannot be written is reported once, until a write succeeds again.
void PowerUp::Write() {
    QString problem;
    if (WriteServeState(statePath_, state_, problem)) {
        written_ = state_;
        writeFailed_ = false;
        return;
    }
    if (!writeFailed_) {
        Say(problem + QStringLiteral("; serving all the same, saving again at the next Load"));
    }
    writeFailed_ = true;
}
