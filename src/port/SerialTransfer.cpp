// The serial transfer: six steps clocked out on D0/D1, then the LE pulse.

#include <cstddef>

#include "port/PortAccess.h"
#include "port/PulseTiming.h"
#include "port/TransferLines.h"
#include "port/Transfers.h"

namespace {

// A write whose verification the protocol does not act on. False when the port
// has become unusable, which ends the transfer.
bool WriteUnchecked(PortAccess& module, int32_t port, int16_t value) {
    module.WritePortVerified(port, value);
    return !module.PortUnavailable(port);
}

// Puts one bit on the data line and clocks it in: the three states d,
// d + clock, d, of which only the first must read back.
bool ClockOutBit(PortAccess& module, int32_t port, const uint8_t* states) {
    if (module.WritePortVerified(port, states[0]) == 0) {
        return false;
    }
    if (!WriteUnchecked(module, port, states[1])) {
        return false;
    }
    HoldPulseFrom(module.LastWrite().at, kClockHighHold);
    return WriteUnchecked(module, port, states[2]);
}

} // namespace

bool SendSerialWord(PortAccess& module, int32_t port, uint8_t word, int16_t leIndex) {
    const TransferLines lines = SerialTransferLines(word, leIndex);
    if (lines.latch.empty()) {
        return false;
    }
    if (module.CarriesBatches()) {
        return module.SendTransfer(port, lines);
    }
    for (std::size_t i = 0; i < lines.body.size(); i += kSerialStatesPerStep) {
        if (!ClockOutBit(module, port, &lines.body[i])) {
            return false;
        }
    }
    if (!WriteUnchecked(module, port, lines.latch[0])) {
        return false;
    }
    const PortAccess::WriteReport leRaised = module.LastWrite();
    HoldPulseFrom(leRaised.at, kLeHighHold);
    // All lines low ends the LE pulse. Whether it reads back is not acted on,
    // but a port that went away here leaves the pulse unfinished, as when the
    // LE line never went out.
    return WriteUnchecked(module, port, lines.latch[1]) && leRaised.reached;
}
