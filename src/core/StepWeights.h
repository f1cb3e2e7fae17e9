#pragma once
// Weights of the step buttons in dB, and the texts of the weight labels.

#include <QLocale>
#include <QString>
#include <QStringList>

#include "core/Catalogue.h"

// Weight of step member 0..6 (0.5, 1, 2, 4, 8, 16, 0.25 dB) in a weight set:
// all doubled in the doubled set. 0 for any other member.
double StepWeight(int member, WeightSet set);

// Weight of step member 0..6 under the model a combo box text makes
// (ProfileOfText): doubled when the text names the cascaded model anywhere.
// 0 for any other member.
double StepWeight(int member, const QString& comboText);

// Captions of the weight labels SSLabel(0)..SSLabel(5) for a weight set:
// "0.5" .. "16" (standard) or "1" .. "32" (doubled), in the locale's number form.
QStringList WeightLabelTexts(WeightSet set, const QLocale& locale = QLocale());
