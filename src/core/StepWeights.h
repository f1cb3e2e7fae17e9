#pragma once
// Weights of the step buttons in dB, and the texts of the weight labels.

#include <QLocale>
#include <QString>
#include <QStringList>

#include "core/Catalogue.h"

// Weight of step member 0..6 (0.5, 1, 2, 4, 8, 16, 0.25 dB) under the model
// named by `comboText`: doubled for the cascaded model. 0 for any other member.
double StepWeight(int member, const QString& comboText);

// Captions of the weight labels SSLabel(0)..SSLabel(5) for a weight set:
// "0.5" .. "16" (standard) or "1" .. "32" (doubled), in the locale's number form.
QStringList WeightLabelTexts(WeightSet set, const QLocale& locale = QLocale());
