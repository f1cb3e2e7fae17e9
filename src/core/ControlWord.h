#pragma once
// The control word of a model and the attenuation it means. Bit i of a control
// word is step member i (0.5, 1, 2, 4, 8, 16 dB, then 0.25 dB for member 6;
// doubled for the cascaded model). A word's attenuation is the sum of the
// weights of its steps, a positive number of dB: the window shows the same
// value as a negative display reading.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/ModelProfile.h"

using ControlWord = uint8_t;

// The window's step buttons 0 to 6 as on/off states; button i is bit i of the word.
using StepStates = std::array<bool, kStepCount>;

StepStates StepsOfWord(ControlWord word);
ControlWord WordOfSteps(const StepStates& steps);

// The attenuation in dB that `word` sets on a model (steps the model does not
// have count with their weight too, as the board would take them).
double AttenuationOf(const ModelProfile& model, ControlWord word);

// True when `word` switches on only steps the model has.
bool WordFitsModel(const ModelProfile& model, ControlWord word);

// The step member the model has whose weight is `weightDb` dB, as the window
// labels its steps (0.25 to 16 dB, or 1 to 32 dB for the cascaded model);
// nullopt when the model has no such step.
std::optional<int> StepWithWeight(const ModelProfile& model, double weightDb);

// How an asked attenuation maps onto a model.
struct AttenuationLookup {
    // The word that makes exactly `db`, when the model can make it.
    std::optional<ControlWord> word;
    bool inRange = false; // 0 <= db <= the model's maximum
    double belowDb = 0.0; // the nearest values the model can make, below and
    double aboveDb = 0.0; // above `db` (equal to each other when exact)
};
AttenuationLookup LookUpAttenuation(const ModelProfile& model, double db);

// The word of the value the model can make that lies nearest `db` (ties go to
// the lower attenuation), clamped to its range.
ControlWord NearestWord(const ModelProfile& model, double db);

// An asked attenuation resolved to the word to load, the rule every front end
// follows: a value outside the model's range is refused; a value between two it
// can make is refused, or with `nearest` set to the nearer of them.
struct AttenuationResolution {
    enum class Outcome {
        Exact,      // `word` makes the value exactly
        Nearest,    // `word` makes the nearest value (only with `nearest`)
        OutOfRange, // below 0 or above the model's maximum (or not a number)
        NotExact,   // between `belowDb` and `aboveDb`, and `nearest` is off
    };
    Outcome outcome = Outcome::OutOfRange;
    ControlWord word = 0;
    double belowDb = 0.0;
    double aboveDb = 0.0;
    bool HasWord() const { return outcome == Outcome::Exact || outcome == Outcome::Nearest; }
};
AttenuationResolution ResolveAttenuation(const ModelProfile& model, double db, bool nearest);

// The word as binary digits, most significant step first: six digits (steps 5
// down to 0), or seven for a model with the 0.25 dB step (step 6 first).
QString WordBinaryText(const ModelProfile& model, ControlWord word);

// The word as it stands on the data lines of a parallel board: steps 0 to 5 on
// D0 to D5, step 6 on D7 (D6 is the latch); and back.
uint8_t ParallelLinesOfWord(ControlWord word);
ControlWord WordOfParallelLines(uint8_t lines);
