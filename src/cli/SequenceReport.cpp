// The end record of dsactl sweep and hop: what a run that has ended prints, and
// the exit status it comes to.
#include "cli/SequenceReport.h"

#include <QLocale>
#include <csignal>

#include "cli/JsonResults.h"
#include "cli/Output.h"
#include "cli/ValueChoice.h"
#include "core/ExitStatus.h"

namespace {

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

void PrintEndJson(const ModelProfile& model, const SequenceRecord& record) {
    const QJsonObject summary{
        {QStringLiteral("end"), record.stopped   ? QStringLiteral("stopped")
                                : record.tooLate ? QStringLiteral("late")
                                                 : QStringLiteral("completed")},
        {QStringLiteral("steps"), record.steps},
        {QStringLiteral("unverified"), record.unverified},
        {QStringLiteral("signal"),
         record.stopped ? QJsonValue(record.signal) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("on_stop"), record.parked ? QJsonValue(LoadJson(model, *record.parked))
                                                  : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("late_steps"), static_cast<qint64>(record.lateness.lateSteps)},
        {QStringLiteral("most_late_us"), MicrosecondsOf(record.lateness.most)},
        {QStringLiteral("slip_us"), MicrosecondsOf(record.lateness.slip)}};
    PrintJsonLine(summary);
}

// "sweep: stopped by SIGINT after 12 steps, then set 15.5 dB (011111); every write verified"
QString ClosingLine(const QString& name, const ModelProfile& model, const SequenceRecord& record) {
    QString line = QStringLiteral("%1: %2 after %3 steps")
                       .arg(name, record.stopped   ? QStringLiteral("stopped by ") + record.signal
                                  : record.tooLate ? QStringLiteral("ended late")
                                                   : QStringLiteral("completed"))
                       .arg(record.steps);
    if (record.parked) {
        line += QStringLiteral(", then set %1 dB (%2)")
                    .arg(DbText(AttenuationOf(model, record.parked->word)),
                         WordBinaryText(model, record.parked->word));
    }
    line += record.unverified == 0
                ? QStringLiteral("; every write verified")
                : QStringLiteral("; %1 Loads not verified").arg(record.unverified);
    return line;
}

void PrintEndText(const QString& name, const ModelProfile& model, const SequenceRecord& record) {
    if (record.parked) {
        PrintLatched(*record.parked);
    }
    if (record.lateness.lateSteps > 0) {
        PrintLine(LatenessText(name, record.lateness));
    }
    PrintLine(ClosingLine(name, model, record));
}

} // namespace

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

void PrintSequenceEnd(const QString& name, const ModelProfile& model, const SequenceRecord& record,
                      bool json) {
    if (json) {
        PrintEndJson(model, record);
    } else {
        PrintEndText(name, model, record);
    }
}

void ThrowSequenceFailure(const SequenceRecord& record, int32_t port,
                          const std::optional<std::chrono::nanoseconds>& maxLate) {
    if (record.unverified > 0) {
        throw UnverifiedFailure(port, record.unverified, record.Loads());
    }
    if (record.tooLate) {
        throw CommandFailure{
            kExitLate,
            QStringLiteral("step %1 would have started %2 late, more than "
                           "--max-late %3 allows; the run ended before it.")
                .arg(record.tooLate->number + 1)
                .arg(MillisecondsText(record.tooLate->late), MillisecondsText(*maxLate))};
    }
}
