// The parallel transfer: the word on the data lines, then the latch pulse on D6.

#include <cstddef>

#include "port/PortAccess.h"
#include "port/PulseTiming.h"
#include "port/Transfers.h"

namespace {

constexpr uint8_t kLatchLine = 64; // D6
// Data line of each step button: D0 to D5, then D7 for button 6 (D6 is the latch).
constexpr std::array<uint8_t, 7> kStepLines = {1, 2, 4, 8, 16, 32, 128};

} // namespace

uint8_t ParallelWordOf(const StepStates& steps) {
    uint8_t word = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i]) {
            word = static_cast<uint8_t>(word | kStepLines[i]);
        }
    }
    return word;
}

uint8_t SendParallelWord(PortAccess& module, int32_t port, const StepStates& steps) {
    const uint8_t word = ParallelWordOf(steps);
    module.WritePortVerified(port, word);
    return word;
}

bool ParallelLatchPulse(PortAccess& module, int32_t port, uint8_t word) {
    // The pulse is built from the word the transfer wrote, never from a read of
    // the lines: a failed read or a stuck read-back bit must not reach the latch.
    // D6 is the latch line, never part of the word.
    const auto lines = static_cast<uint8_t>(word & ~kLatchLine);
    if (module.PortUnavailable(port)) {
        return false;
    }
    module.WritePortVerified(port, static_cast<uint8_t>(lines | kLatchLine));
    if (module.PortUnavailable(port)) {
        return false;
    }
    HoldPulseFrom(module.LastWrite().at, kLatchHighHold);
    module.WritePortVerified(port, lines);
    // A port that went away before D6 came down may leave the latch open.
    return !module.PortUnavailable(port);
}
