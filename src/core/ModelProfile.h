#pragma once
// What each model of the catalogue can do, worked out once from its catalogue
// row: interface, the weight of every step, the steps it has (its layout and
// its 0.25 dB step), and the attenuation range and resolution they give; and
// which model a text in the model combo box stands for. Every front end asks
// here; none reads the catalogue rows or works these out again.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Catalogue.h"

constexpr int kStepCount = 7;

// Step members a layout leaves on screen: AllButton members 0 to 5, No16Button
// without member 5 (16 dB), No05Button without member 0 (0.5 dB); member 6
// (0.25 dB) only for a model that has the seventh step, and never with No05Button.
std::array<bool, kStepCount> StepsShown(StepLayout layout, bool seventhStep);

struct ModelProfile {
    int position = -1; // 0-based list position; the command line counts from 1
    QString displayText;
    QString key;
    InterfaceClass interfaceClass = InterfaceClass::Serial;
    WeightSet weightSet = WeightSet::Standard;
    StepLayout layout = StepLayout::AllButton;
    bool seventhStep = false;                  // has the 0.25 dB step (member 6)
    std::array<double, kStepCount> weights{};  // dB of each step member
    std::array<bool, kStepCount> available{};  // the steps this model has
    uint8_t availableMask = 0;                 // the same as control-word bits
    double maxDb = 0.0;                        // all available steps on
    double resolutionDb = 0.0;                 // the smallest available step
    QString line1;                             // description lines
    QString line2;

    bool IsParallel() const { return interfaceClass == InterfaceClass::Parallel; }
};

// The 28 models in list order.
const std::vector<ModelProfile>& ModelProfiles();

// The profile at a 0-based list position; nullptr outside the list.
const ModelProfile* ProfileAt(int position);

// A model named on a command line or over the network: a 1-based list position
// ("1" to "28") or a model key, matched exactly first and then without regard
// to case ("vk58-q5-s1"). nullptr when nothing matches.
const ModelProfile* FindModel(const QString& positionOrKey);

// The model key of a combo box text: the text in front of its first ";",
// unchanged (no trimming, case kept); nullopt when the text holds no ";".
std::optional<QString> ModelKey(const QString& comboText);

// The catalogue model whose key is exactly the model key of `comboText`
// (case-sensitive, nothing trimmed); nullptr for a text without ";" or with a
// key the catalogue does not spell so.
const ModelProfile* ProfileForComboText(const QString& comboText);

// The model a combo box stands for: the list entry at `listPosition` when it
// reports one (0 or more), else the model its text names (ProfileForComboText).
// nullptr when there is neither.
const ModelProfile* ProfileForComboBox(int listPosition, const QString& comboText);

// The interface a combo box selects: that of ProfileForComboBox, serial when it
// stands for no model.
InterfaceClass InterfaceForComboBox(int listPosition, const QString& comboText);

// A profile made from any combo box text, typed or chosen. Its key, lines,
// interface and layout are those of ProfileForComboText (none: empty, serial,
// AllButton); two facts follow the text wherever it names them, so that an
// edited text keeps them: the 0.25 dB step when it contains "VK58-Q7", and the
// doubled weights when it contains "2VK58-Q8-P1" (case-sensitive, anywhere).
// For each list entry's display text it equals that entry's profile.
ModelProfile ProfileOfText(const QString& comboText);
