#include <cstddef>

#include "port/PortAccess.h"
#include "port/PulseTiming.h"
#include "port/Transfers.h"

namespace {

constexpr uint8_t kLatchLine = 64; // D6
// Data line of each step button: D0 to D5, then D7 for button 6 (D6 is the latch).
constexpr std::array<uint8_t, 7> kStepLines = {1, 2, 4, 8, 16, 32, 128};

} // namespace

void SendParallelWord(PortAccess& module, int32_t port, const StepStates& steps) {
    uint8_t word = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i]) {
            word = static_cast<uint8_t>(word | kStepLines[i]);
        }
    }
    module.WritePortVerified(port, word);
}

bool ParallelLatchPulse(PortAccess& module, int32_t port) {
    if (module.PortUnavailable(port)) {
        return false;
    }
    // Set and clear only D6: if the word failed its verify and D6 already reads
    // back high, adding and taking away 64 would disturb D7 or leave the byte range.
    const auto lines = static_cast<uint8_t>(module.ReadPortValue(port));
    if (module.PortUnavailable(port)) {
        return false;
    }
    const auto latchHigh = static_cast<uint8_t>(lines | kLatchLine);
    module.WritePortVerified(port, latchHigh);
    if (module.PortUnavailable(port)) {
        return false;
    }
    HoldPulse(kLatchHighHold);
    module.WritePortVerified(port, static_cast<uint8_t>(latchHigh & ~kLatchLine));
    return true;
}
