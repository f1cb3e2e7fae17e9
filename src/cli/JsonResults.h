#pragma once
// The JSON pieces dsactl results share. Key names are stable: scripts read
// them, and the README lists them.

#include <QJsonArray>
#include <QJsonObject>

#include "core/BoardReadout.h"
#include "core/ModelProfile.h"

// {"position": 5, "key": "VK58-Q5-S1"}; the position counts from 1.
QJsonObject ModelJson(const ModelProfile& model);
// "serial" or "parallel".
QString InterfaceName(const ModelProfile& model);
// The weights of the steps the model has, smallest first.
QJsonArray StepsJson(const ModelProfile& model);
// {"device": "LE3", "word": 14, "binary": "001110", "attenuation_db": 7}
QJsonObject BoardJson(const DeviceReadout& readout);
// The LE line as JSON: the number, or null for a parallel model (le 0).
QJsonValue LeJson(int le);
