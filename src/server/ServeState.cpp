// The state file of `dsactl serve --power-up last`: its place, its JSON and
// the checks every field passes before it is loaded.
#include "server/ServeState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <cmath>

#include "core/FileReplace.h"

namespace {

constexpr qint64 kLargestFile = 64 * 1024;

const ModelProfile* ProfileWithKey(const QString& key) {
    for (const ModelProfile& model : ModelProfiles()) {
        if (model.key == key) {
            return &model;
        }
    }
    return nullptr;
}

// Reads the fields of the file, remembering the first thing wrong.
class Fields {
public:
    explicit Fields(QString& problem) : problem_(problem) {}

    bool Failed() const { return !problem_.isEmpty(); }

    void Fail(const QString& text) {
        if (problem_.isEmpty()) {
            problem_ = text;
        }
    }

    // A whole number from `low` to `high`.
    int Integer(const QJsonObject& object, const QString& where, const QString& name, int low,
                int high) {
        const QJsonValue value = object.value(name);
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || number != std::floor(number) || number < low || number > high) {
            Fail(QStringLiteral("%1\"%2\" is not a whole number from %3 to %4")
                     .arg(where, name)
                     .arg(low)
                     .arg(high));
            return low;
        }
        return static_cast<int>(number);
    }

    // A model key of the catalogue, spelled as the catalogue spells it.
    const ModelProfile* Model(const QJsonObject& object, const QString& where) {
        const QJsonValue value = object.value(QStringLiteral("model"));
        const ModelProfile* model = value.isString() ? ProfileWithKey(value.toString()) : nullptr;
        if (model == nullptr) {
            Fail(QStringLiteral("%1\"model\" is not a model key of this dsactl").arg(where));
        }
        return model;
    }

    // {"model": ..., "word": ...}, the model serial or parallel as `parallel` says.
    std::optional<ServeState::Latched> Latched(const QJsonValue& value, const QString& where,
                                               bool parallel) {
        if (!value.isObject()) {
            Fail(QStringLiteral("%1is not an object").arg(where));
            return std::nullopt;
        }
        const QJsonObject object = value.toObject();
        const ModelProfile* model = Model(object, where);
        const int word = Integer(object, where, QStringLiteral("word"), 0, 255);
        if (Failed()) {
            return std::nullopt;
        }
        if (model->IsParallel() != parallel) {
            Fail(QStringLiteral("%1%2 is a %3 model")
                     .arg(where, model->key,
                          model->IsParallel() ? QStringLiteral("parallel")
                                              : QStringLiteral("serial")));
            return std::nullopt;
        }
        if (!WordFitsModel(*model, static_cast<ControlWord>(word))) {
            Fail(QStringLiteral("%1word %2 switches steps %3 lacks")
                     .arg(where)
                     .arg(word)
                     .arg(model->key));
            return std::nullopt;
        }
        return ServeState::Latched{model, static_cast<ControlWord>(word)};
    }

private:
    QString& problem_;
};

QJsonObject LatchedJson(const ServeState::Latched& latched) {
    return {{QStringLiteral("model"), latched.model->key},
            {QStringLiteral("word"), static_cast<int>(latched.word)}};
}

QByteArray ModelUnit(const ModelProfile& model) {
    return "MOD \"" + model.key.toLatin1() + '"';
}

} // namespace

QString ServeStateFolder(const QProcessEnvironment& environment) {
    const QString systemd = environment.value(QStringLiteral("STATE_DIRECTORY"));
    if (!systemd.isEmpty()) {
        return systemd.section(QLatin1Char(':'), 0, 0);
    }
    const QString xdg = environment.value(QStringLiteral("XDG_STATE_HOME"));
    if (QDir::isAbsolutePath(xdg)) {
        return xdg + QStringLiteral("/dsactl");
    }
    QString home = environment.value(QStringLiteral("HOME"));
    if (home.isEmpty()) {
        home = QDir::homePath();
    }
    return home + QStringLiteral("/.local/state/dsactl");
}

QString ServeStatePath(const QString& folder, bool simulated) {
    return folder + (simulated ? QStringLiteral("/serve-state-simulated.json")
                               : QStringLiteral("/serve-state.json"));
}

QString ServeStatePath(bool simulated) {
    return ServeStatePath(ServeStateFolder(QProcessEnvironment::systemEnvironment()), simulated);
}

QByteArray ServeStateJson(const ServeState& state) {
    Q_ASSERT(state.model != nullptr);
    QJsonArray lines;
    for (int le = 1; le <= kLeLineCount; ++le) {
        if (const auto& latched = state.lines[static_cast<std::size_t>(le)]) {
            QJsonObject line = LatchedJson(*latched);
            line.insert(QStringLiteral("le"), le);
            lines.append(line);
        }
    }
    QJsonObject object{{QStringLiteral("format"), kServeStateFormat},
                       {QStringLiteral("model"), state.model->key},
                       {QStringLiteral("le"), state.le},
                       {QStringLiteral("lines"), lines}};
    if (state.parallel) {
        object.insert(QStringLiteral("parallel"), LatchedJson(*state.parallel));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

std::optional<ServeState> ParseServeState(const QByteArray& bytes, QString& problem) {
    problem.clear();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        problem =
            QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        problem = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    const QJsonValue format = object.value(QStringLiteral("format"));
    if (format.toDouble(0) != kServeStateFormat) {
        problem = QStringLiteral("format %1, not %2 as this dsactl writes")
                      .arg(format.isDouble() ? QString::number(format.toDouble())
                                             : QStringLiteral("missing"))
                      .arg(kServeStateFormat);
        return std::nullopt;
    }
    Fields fields(problem);
    ServeState state;
    state.model = fields.Model(object, QString());
    state.le = fields.Integer(object, QString(), QStringLiteral("le"), 1, kLeLineCount);
    const QJsonValue lines = object.value(QStringLiteral("lines"));
    if (!lines.isUndefined() && !lines.isArray()) {
        fields.Fail(QStringLiteral("\"lines\" is not an array"));
    }
    const QJsonArray entries = lines.toArray();
    for (qsizetype i = 0; i < entries.size() && !fields.Failed(); ++i) {
        const QString where = QStringLiteral("lines[%1]: ").arg(i);
        const std::optional<ServeState::Latched> latched =
            fields.Latched(entries.at(i), where, false);
        const int le =
            fields.Integer(entries.at(i).toObject(), where, QStringLiteral("le"), 1, kLeLineCount);
        auto& slot = state.lines[static_cast<std::size_t>(le)];
        if (latched && slot) {
            fields.Fail(QStringLiteral("%1LE %2 comes twice").arg(where).arg(le));
        }
        slot = latched;
    }
    const QJsonValue parallel = object.value(QStringLiteral("parallel"));
    if (!parallel.isUndefined() && !parallel.isNull()) {
        state.parallel = fields.Latched(parallel, QStringLiteral("parallel: "), true);
    }
    if (fields.Failed()) {
        return std::nullopt;
    }
    return state;
}

ServeStateRead ReadServeState(const QString& path) {
    ServeStateRead read;
    QFile file(path);
    if (!file.exists()) {
        return read;
    }
    read.outcome = ServeStateRead::Outcome::Refused;
    if (!file.open(QIODevice::ReadOnly)) {
        read.problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return read;
    }
    const QByteArray bytes = file.read(kLargestFile + 1);
    if (file.error() != QFileDevice::NoError) {
        read.problem = QStringLiteral("cannot be read (%1)").arg(file.errorString());
        return read;
    }
    if (bytes.size() > kLargestFile) {
        read.problem = QStringLiteral("larger than %1 bytes").arg(kLargestFile);
        return read;
    }
    if (const std::optional<ServeState> state = ParseServeState(bytes, read.problem)) {
        read.outcome = ServeStateRead::Outcome::Read;
        read.state = *state;
    }
    return read;
}

bool WriteServeState(const QString& path, const ServeState& state, QString& problem) {
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder)) {
        problem = QStringLiteral("cannot make the folder %1").arg(folder);
        return false;
    }
    if (!ReplaceFileContents(path, ServeStateJson(state))) {
        problem = QStringLiteral("cannot write %1 (is it or its folder read-only, or the disk "
                                 "full?)")
                      .arg(path);
        return false;
    }
    problem.clear();
    return true;
}

ServeStateLines RestoreLines(const ServeState& state) {
    ServeStateLines lines;
    for (int le = 1; le <= kLeLineCount; ++le) {
        if (const auto& latched = state.lines[static_cast<std::size_t>(le)]) {
            lines.loads.append(ModelUnit(*latched->model) + ";LE " + QByteArray::number(le) +
                               ";STEP:WORD " + QByteArray::number(latched->word));
        }
    }
    if (state.parallel) {
        lines.loads.append(ModelUnit(*state.parallel->model) + ";STEP:WORD " +
                           QByteArray::number(state.parallel->word));
    }
    lines.selection = ModelUnit(*state.model) + ";LE " + QByteArray::number(state.le);
    return lines;
}
