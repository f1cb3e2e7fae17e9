// Checking models, LE lines and attenuation values from the command line.
#include "cli/ValueChoice.h"

#include "cli/CommandLine.h"
#include "core/ExitStatus.h"
#include "core/NumberText.h"

namespace {

QString RangeText(const ModelProfile& model) {
    return QStringLiteral("0 to %1 dB in steps of %2 dB")
        .arg(DbText(model.maxDb), DbText(model.resolutionDb));
}

QString StepsText(const ModelProfile& model) {
    QStringList steps;
    // The window's order, smallest step first.
    for (int member : {6, 0, 1, 2, 3, 4, 5}) {
        if (model.available[static_cast<std::size_t>(member)]) {
            steps << DbText(model.weights[static_cast<std::size_t>(member)]);
        }
    }
    return steps.join(QLatin1Char(','));
}

} // namespace

QString DbText(double db) {
    return NumberText(db);
}

QStringList ListItems(const QString& text) {
    const QChar separator = text.contains(QLatin1Char(';')) ? QLatin1Char(';') : QLatin1Char(',');
    QStringList items = text.split(separator);
    for (QString& item : items) {
        item = item.trimmed();
    }
    return items;
}

const ModelProfile& ChooseModel(const QString& text) {
    if (const ModelProfile* model = FindModel(text)) {
        return *model;
    }
    throw CommandFailure{kExitUsage,
                         QStringLiteral("unknown model '%1'. Give a list position 1 to %2 or a "
                                        "model key; 'dsactl models' lists them.")
                             .arg(text)
                             .arg(ModelProfiles().size())};
}

int ChooseLe(const ModelProfile& model, const std::optional<QString>& text) {
    if (model.IsParallel()) {
        if (text) {
            throw CommandFailure{kExitUsage,
                                 QStringLiteral("%1 is a parallel model and takes no --le; leave "
                                                "it out.")
                                     .arg(model.key)};
        }
        return 0;
    }
    if (!text) {
        return 1;
    }
    bool ok = false;
    const int le = text->trimmed().toInt(&ok, 10);
    if (!ok || le < 1 || le > 6) {
        throw CommandFailure{
            kExitUsage, QStringLiteral("--le '%1' is not an LE line. Give 1 to 6.").arg(*text)};
    }
    return le;
}

double ParseDb(const QString& text, const QString& option) {
    const std::optional<double> value = ParseNumberText(text);
    if (!value) {
        throw CommandFailure{kExitUsage,
                             QStringLiteral("%1 '%2' is not a number of dB. Write it like 7 or "
                                            "7.5.")
                                 .arg(OptionText(option), text)};
    }
    return *value;
}

ControlWord WordForDb(const ModelProfile& model, double db, bool nearest) {
    const AttenuationResolution resolution = ResolveAttenuation(model, db, nearest);
    if (resolution.outcome == AttenuationResolution::Outcome::OutOfRange) {
        const QString hint = db < 0.0 ? QStringLiteral(" Attenuation is a positive number: 7 means "
                                                       "7 dB of attenuation.")
                                      : QString();
        throw CommandFailure{kExitData, QStringLiteral("%1 dB is outside the range of %2 (%3).%4")
                                            .arg(DbText(db), model.key, RangeText(model), hint)};
    }
    if (resolution.HasWord()) {
        return resolution.word;
    }
    throw CommandFailure{
        kExitData,
        QStringLiteral("%1 cannot make %2 dB exactly; the nearest values are %3 "
                       "dB and %4 dB. Give one of them, or add --nearest.")
            .arg(model.key, DbText(db), DbText(resolution.belowDb), DbText(resolution.aboveDb))};
}

ControlWord WordForSteps(const ModelProfile& model, const QString& list) {
    ControlWord word = 0;
    if (list.trimmed().isEmpty()) {
        return word; // no step on: 0 dB
    }
    for (const QString& item : ListItems(list)) {
        const std::optional<double> weight = ParseNumberText(item);
        if (!weight) {
            throw CommandFailure{kExitUsage,
                                 QStringLiteral("--steps item '%1' is not a number of dB. List "
                                                "step weights like --steps 1,2,4.")
                                     .arg(item)};
        }
        const std::optional<int> member = StepWithWeight(model, *weight);
        if (!member) {
            throw CommandFailure{kExitData, QStringLiteral("%1 has no %2 dB step; its steps are "
                                                           "%3 dB.")
                                                .arg(model.key, DbText(*weight), StepsText(model))};
        }
        word = static_cast<ControlWord>(word | (1u << *member));
    }
    return word;
}

ControlWord WordForNumber(const ModelProfile& model, const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    uint value = 0;
    if (trimmed.startsWith(QLatin1String("0b"), Qt::CaseInsensitive)) {
        value = trimmed.mid(2).toUInt(&ok, 2);
    } else if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value = trimmed.mid(2).toUInt(&ok, 16);
    } else {
        value = trimmed.toUInt(&ok, 10);
    }
    if (!ok) {
        throw CommandFailure{kExitUsage,
                             QStringLiteral("--word '%1' is not a number. Give the control word "
                                            "in decimal, 0x hex or 0b binary, bit i for step i.")
                                 .arg(text)};
    }
    if (value > 0x7Fu || !WordFitsModel(model, static_cast<ControlWord>(value))) {
        throw CommandFailure{kExitData,
                             QStringLiteral("--word %1 switches on steps that %2 does not have; "
                                            "its steps are %3 dB.")
                                 .arg(text, model.key, StepsText(model))};
    }
    return static_cast<ControlWord>(value);
}
