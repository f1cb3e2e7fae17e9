// Building the JSON objects of dsactl's results.
#include "cli/JsonResults.h"

QJsonObject ModelJson(const ModelProfile& model) {
    return QJsonObject{{QStringLiteral("position"), model.position + 1},
                       {QStringLiteral("key"), model.key}};
}

QString InterfaceName(const ModelProfile& model) {
    return model.IsParallel() ? QStringLiteral("parallel") : QStringLiteral("serial");
}

QJsonArray StepsJson(const ModelProfile& model) {
    QJsonArray steps;
    for (int member : {6, 0, 1, 2, 3, 4, 5}) {
        const auto m = static_cast<std::size_t>(member);
        if (model.available[m]) {
            steps.append(model.weights[m]);
        }
    }
    return steps;
}

QJsonObject BoardJson(const DeviceReadout& readout) {
    return QJsonObject{{QStringLiteral("device"), DeviceName(readout)},
                       {QStringLiteral("word"), readout.word},
                       {QStringLiteral("binary"), readout.binary},
                       {QStringLiteral("attenuation_db"), readout.db}};
}

QJsonValue LeJson(int le) {
    return le == 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(le);
}
