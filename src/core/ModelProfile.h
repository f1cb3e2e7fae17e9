#pragma once
// What each model of the catalogue can do, worked out once from its catalogue
// entry: interface, the weight of every step, the steps it has (its layout and
// the 0.25 dB step rule), and the attenuation range and resolution they give.
// Every front end asks here; none works these out again.

#include <QString>
#include <array>
#include <cstdint>
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
