// The parallel transfer: the word on the data lines, then the latch pulse on D6.

#include "port/PinMap.h"
#include "port/PortAccess.h"
#include "port/PulseTiming.h"
#include "port/TransferLines.h"
#include "port/Transfers.h"

namespace {

constexpr uint8_t kLatchLine = pins::kLatch;

} // namespace

uint8_t SendParallelWord(PortAccess& module, int32_t port, uint8_t word) {
    const uint8_t lines = pins::ParallelLinesOfSteps(word);
    module.WritePortVerified(port, lines);
    return lines;
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

bool SendParallelTransfer(PortAccess& module, int32_t port, uint8_t word) {
    if (module.CarriesBatches()) {
        return module.SendTransfer(port, ParallelTransferLines(word));
    }
    return ParallelLatchPulse(module, port, SendParallelWord(module, port, word));
}
