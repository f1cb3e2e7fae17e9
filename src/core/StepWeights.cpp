#include "core/StepWeights.h"

#include <array>

#include "core/ModelProfile.h"
#include "core/NumberText.h"

namespace {

constexpr std::array<double, 7> kBaseWeights = {0.5, 1.0, 2.0, 4.0, 8.0, 16.0, 0.25};
constexpr int kLabelledMembers = 6;
constexpr double kCascadedMultiplier = 2.0;

double Multiplier(WeightSet set) {
    return set == WeightSet::Doubled ? kCascadedMultiplier : 1.0;
}

} // namespace

double StepWeight(int member, WeightSet set) {
    if (member < 0 || member >= static_cast<int>(kBaseWeights.size())) {
        return 0.0;
    }
    return kBaseWeights[static_cast<std::size_t>(member)] * Multiplier(set);
}

double StepWeight(int member, const QString& comboText) {
    return StepWeight(member, ProfileOfText(comboText).weightSet);
}

QStringList WeightLabelTexts(WeightSet set, const QLocale& locale) {
    QStringList texts;
    for (std::size_t member = 0; member < kLabelledMembers; ++member) {
        texts.append(NumberText(kBaseWeights[member] * Multiplier(set), locale));
    }
    return texts;
}
