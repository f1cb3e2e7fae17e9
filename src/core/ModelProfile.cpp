#include "core/ModelProfile.h"

#include <algorithm>

#include "core/StepWeights.h"

std::array<bool, kStepCount> StepsShown(StepLayout layout, bool seventhStep) {
    std::array<bool, kStepCount> shown{true, true, true, true, true, true, false};
    switch (layout) {
    case StepLayout::AllButton:
        shown[6] = seventhStep;
        break;
    case StepLayout::No16Button:
        shown[5] = false;
        shown[6] = seventhStep;
        break;
    case StepLayout::No05Button:
        shown[0] = false;
        break;
    }
    return shown;
}

namespace {

ModelProfile BuildProfile(int position, const QString& text) {
    ModelProfile profile;
    profile.position = position;
    profile.displayText = text;
    profile.key = ModelKey(text).value_or(QString());
    profile.interfaceClass = InterfaceClassOf(position);
    if (const KeyRow* row = FindKeyRow(profile.key)) {
        profile.weightSet = row->weights;
        profile.layout = row->layout;
        profile.line1 = row->line1;
        profile.line2 = row->line2;
    }
    profile.available = StepsShown(profile.layout, HasSeventhStep(text));
    profile.resolutionDb = 0.0;
    for (int i = 0; i < kStepCount; ++i) {
        const auto member = static_cast<std::size_t>(i);
        profile.weights[member] = StepWeight(i, text);
        if (profile.available[member]) {
            profile.availableMask = static_cast<uint8_t>(profile.availableMask | (1u << i));
            profile.maxDb += profile.weights[member];
            if (profile.resolutionDb == 0.0 || profile.weights[member] < profile.resolutionDb) {
                profile.resolutionDb = profile.weights[member];
            }
        }
    }
    return profile;
}

} // namespace

const std::vector<ModelProfile>& ModelProfiles() {
    static const std::vector<ModelProfile> profiles = [] {
        std::vector<ModelProfile> built;
        const QStringList& texts = CatalogueDisplayTexts();
        for (int i = 0; i < texts.size(); ++i) {
            built.push_back(BuildProfile(i, texts[i]));
        }
        return built;
    }();
    return profiles;
}

const ModelProfile* ProfileAt(int position) {
    const std::vector<ModelProfile>& profiles = ModelProfiles();
    if (position < 0 || position >= static_cast<int>(profiles.size())) {
        return nullptr;
    }
    return &profiles[static_cast<std::size_t>(position)];
}

const ModelProfile* FindModel(const QString& positionOrKey) {
    const QString name = positionOrKey.trimmed();
    bool isNumber = false;
    const int position = name.toInt(&isNumber, 10);
    if (isNumber) {
        return ProfileAt(position - 1);
    }
    const std::vector<ModelProfile>& profiles = ModelProfiles();
    for (Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        const auto found =
            std::find_if(profiles.begin(), profiles.end(), [&](const ModelProfile& profile) {
                return !profile.key.isEmpty() && profile.key.compare(name, sensitivity) == 0;
            });
        if (found != profiles.end()) {
            return &*found;
        }
    }
    return nullptr;
}
