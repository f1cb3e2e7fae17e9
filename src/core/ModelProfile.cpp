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

// The rules on text: they read a combo box text, typed or chosen, where the
// catalogue rows give the same facts for the list entries (the catalogue test
// checks that the two agree for every row).
const QLatin1String kSeventhStepMark("VK58-Q7");
const QLatin1String kDoubledWeightsMark("2VK58-Q8-P1");

// Weights, steps, range and resolution from the weight set, layout and seventh
// step already in `profile`.
void WorkOutSteps(ModelProfile& profile) {
    profile.available = StepsShown(profile.layout, profile.seventhStep);
    profile.availableMask = 0;
    profile.maxDb = 0.0;
    profile.resolutionDb = 0.0;
    for (int i = 0; i < kStepCount; ++i) {
        const auto member = static_cast<std::size_t>(i);
        profile.weights[member] = StepWeight(i, profile.weightSet);
        if (profile.available[member]) {
            profile.availableMask = static_cast<uint8_t>(profile.availableMask | (1u << i));
            profile.maxDb += profile.weights[member];
            if (profile.resolutionDb == 0.0 || profile.weights[member] < profile.resolutionDb) {
                profile.resolutionDb = profile.weights[member];
            }
        }
    }
}

ModelProfile BuildProfile(int position, const CatalogueRow& row) {
    ModelProfile profile;
    profile.position = position;
    profile.displayText = row.displayText;
    profile.key = row.key;
    profile.interfaceClass = row.interfaceClass;
    profile.weightSet = row.weights;
    profile.layout = row.layout;
    profile.seventhStep = row.seventhStep;
    profile.line1 = row.line1;
    profile.line2 = row.line2;
    WorkOutSteps(profile);
    return profile;
}

} // namespace

const std::vector<ModelProfile>& ModelProfiles() {
    static const std::vector<ModelProfile> profiles = [] {
        std::vector<ModelProfile> built;
        const std::vector<CatalogueRow>& rows = CatalogueRows();
        built.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            built.push_back(BuildProfile(static_cast<int>(i), rows[i]));
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

std::optional<QString> ModelKey(const QString& comboText) {
    const qsizetype semicolon = comboText.indexOf(QLatin1Char(';'));
    if (semicolon < 0) {
        return std::nullopt;
    }
    return comboText.left(semicolon);
}

const ModelProfile* ProfileForComboText(const QString& comboText) {
    const std::optional<QString> key = ModelKey(comboText);
    if (!key) {
        return nullptr;
    }
    const std::vector<ModelProfile>& profiles = ModelProfiles();
    const auto found =
        std::find_if(profiles.begin(), profiles.end(), [&key](const ModelProfile& profile) {
            return profile.key.compare(*key, Qt::CaseSensitive) == 0;
        });
    return found == profiles.end() ? nullptr : &*found;
}

const ModelProfile* ProfileForComboBox(int listPosition, const QString& comboText) {
    if (listPosition >= 0) {
        return ProfileAt(listPosition);
    }
    return ProfileForComboText(comboText);
}

InterfaceClass InterfaceForComboBox(int listPosition, const QString& comboText) {
    const ModelProfile* model = ProfileForComboBox(listPosition, comboText);
    return model != nullptr ? model->interfaceClass : InterfaceClass::Serial;
}

ModelProfile ProfileOfText(const QString& comboText) {
    ModelProfile profile;
    if (const ModelProfile* named = ProfileForComboText(comboText)) {
        profile = *named;
    } else {
        profile.key = ModelKey(comboText).value_or(QString());
    }
    profile.displayText = comboText;
    profile.seventhStep = comboText.contains(kSeventhStepMark, Qt::CaseSensitive);
    profile.weightSet = comboText.contains(kDoubledWeightsMark, Qt::CaseSensitive)
                            ? WeightSet::Doubled
                            : WeightSet::Standard;
    WorkOutSteps(profile);
    return profile;
}
