#include "core/ControlWord.h"

#include <cmath>

#include "port/PinMap.h"

namespace {

// Values the catalogue makes are multiples of 0.25 dB at most 63 dB, so a
// count of resolution steps is exact in a double; this only absorbs the
// rounding of a decimal text such as "7.000000000001".
constexpr double kTolerance = 1e-9;

bool HasStep(ControlWord word, int member) {
    return (static_cast<unsigned>(word) >> member & 1u) != 0;
}

// The word that makes `units` times the model's resolution. The available steps
// of every model are consecutive powers of two of its resolution.
ControlWord WordOfUnits(const ModelProfile& model, long long units) {
    ControlWord word = 0;
    for (int member = 0; member < kStepCount; ++member) {
        const auto m = static_cast<std::size_t>(member);
        if (!model.available[m]) {
            continue;
        }
        const auto weightUnits = std::llround(model.weights[m] / model.resolutionDb);
        if ((units & weightUnits) != 0) {
            word = static_cast<ControlWord>(word | (1u << member));
        }
    }
    return word;
}

} // namespace

StepStates StepsOfWord(ControlWord word) {
    StepStates steps{};
    for (int member = 0; member < kStepCount; ++member) {
        steps[static_cast<std::size_t>(member)] = HasStep(word, member);
    }
    return steps;
}

ControlWord WordOfSteps(const StepStates& steps) {
    ControlWord word = 0;
    for (int member = 0; member < kStepCount; ++member) {
        if (steps[static_cast<std::size_t>(member)]) {
            word = static_cast<ControlWord>(word | (1u << member));
        }
    }
    return word;
}

double AttenuationOf(const ModelProfile& model, ControlWord word) {
    double db = 0.0;
    for (int member = 0; member < kStepCount; ++member) {
        if (HasStep(word, member)) {
            db += model.weights[static_cast<std::size_t>(member)];
        }
    }
    return db;
}

bool WordFitsModel(const ModelProfile& model, ControlWord word) {
    return (word & ~model.availableMask) == 0;
}

std::optional<int> StepWithWeight(const ModelProfile& model, double weightDb) {
    for (int member = 0; member < kStepCount; ++member) {
        const auto m = static_cast<std::size_t>(member);
        if (model.available[m] && std::abs(model.weights[m] - weightDb) <= kTolerance) {
            return member;
        }
    }
    return std::nullopt;
}

AttenuationLookup LookUpAttenuation(const ModelProfile& model, double db) {
    AttenuationLookup lookup;
    if (!std::isfinite(db) || model.resolutionDb <= 0.0) {
        return lookup;
    }
    lookup.inRange = db >= -kTolerance && db <= model.maxDb + kTolerance;
    const double units = db / model.resolutionDb;
    const long long maxUnits = std::llround(model.maxDb / model.resolutionDb);
    long long below = static_cast<long long>(std::floor(units + kTolerance));
    long long above = static_cast<long long>(std::ceil(units - kTolerance));
    below = std::clamp(below, 0LL, maxUnits);
    above = std::clamp(above, 0LL, maxUnits);
    lookup.belowDb = static_cast<double>(below) * model.resolutionDb;
    lookup.aboveDb = static_cast<double>(above) * model.resolutionDb;
    if (lookup.inRange && below == above) {
        lookup.word = WordOfUnits(model, below);
    }
    return lookup;
}

ControlWord NearestWord(const ModelProfile& model, double db) {
    const AttenuationLookup lookup = LookUpAttenuation(model, db);
    if (lookup.word) {
        return *lookup.word;
    }
    const double target = std::isfinite(db) ? db : 0.0;
    const double chosen = std::abs(target - lookup.belowDb) <= std::abs(lookup.aboveDb - target)
                              ? lookup.belowDb
                              : lookup.aboveDb;
    return WordOfUnits(model, std::llround(chosen / model.resolutionDb));
}

AttenuationResolution ResolveAttenuation(const ModelProfile& model, double db, bool nearest) {
    const AttenuationLookup lookup = LookUpAttenuation(model, db);
    AttenuationResolution resolution;
    resolution.belowDb = lookup.belowDb;
    resolution.aboveDb = lookup.aboveDb;
    if (!lookup.inRange) {
        resolution.outcome = AttenuationResolution::Outcome::OutOfRange;
    } else if (lookup.word) {
        resolution.outcome = AttenuationResolution::Outcome::Exact;
        resolution.word = *lookup.word;
    } else if (nearest) {
        resolution.outcome = AttenuationResolution::Outcome::Nearest;
        resolution.word = NearestWord(model, db);
    } else {
        resolution.outcome = AttenuationResolution::Outcome::NotExact;
    }
    return resolution;
}

QString WordBinaryText(const ModelProfile& model, ControlWord word) {
    QString text;
    if (model.available[6]) {
        text += HasStep(word, 6) ? QLatin1Char('1') : QLatin1Char('0');
    }
    for (int member = 5; member >= 0; --member) {
        text += HasStep(word, member) ? QLatin1Char('1') : QLatin1Char('0');
    }
    return text;
}

uint8_t ParallelLinesOfWord(ControlWord word) {
    return pins::ParallelLinesOfSteps(word);
}

ControlWord WordOfParallelLines(uint8_t lines) {
    return pins::StepsOfParallelLines(lines);
}
