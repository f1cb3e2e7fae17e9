// The serial transfer: six steps clocked out on D0/D1, then the LE pulse.

#include <cstddef>

#include "port/PinMap.h"
#include "port/PortAccess.h"
#include "port/PulseTiming.h"
#include "port/Transfers.h"

namespace {

constexpr int16_t kClockLine = pins::kClock;
constexpr int16_t kDataLine = pins::kData;
constexpr int16_t kLeLines = pins::kLeCount;
constexpr std::size_t kSerialBits = pins::kSerialSteps; // steps 5 down to 0

// A write whose verification the protocol does not act on. False when the port
// has become unusable, which ends the transfer.
bool WriteUnchecked(PortAccess& module, int32_t port, int16_t value) {
    module.WritePortVerified(port, value);
    return !module.PortUnavailable(port);
}

// Puts one bit on the data line and clocks it in: d, d + clock, d.
bool ClockOutBit(PortAccess& module, int32_t port, int16_t dataLines) {
    if (module.WritePortVerified(port, dataLines) == 0) {
        return false;
    }
    if (!WriteUnchecked(module, port, static_cast<int16_t>(dataLines | kClockLine))) {
        return false;
    }
    HoldPulseFrom(module.LastWrite().at, kClockHighHold);
    return WriteUnchecked(module, port, dataLines);
}

} // namespace

bool SendSerialWord(PortAccess& module, int32_t port, uint8_t word, int16_t leIndex) {
    if (leIndex < 1 || leIndex > kLeLines) {
        return false;
    }
    // The device takes the most significant step first.
    int16_t dataLines = 0;
    for (std::size_t i = kSerialBits; i-- > 0;) {
        dataLines = (word & (1u << i)) != 0 ? kDataLine : 0;
        if (!ClockOutBit(module, port, dataLines)) {
            return false;
        }
    }
    // LE rises with the last data bit held and the clock low.
    const auto leLine = static_cast<int16_t>(pins::LeLine(leIndex));
    if (!WriteUnchecked(module, port, static_cast<int16_t>(dataLines | leLine))) {
        return false;
    }
    const PortAccess::WriteReport leRaised = module.LastWrite();
    HoldPulseFrom(leRaised.at, kLeHighHold);
    // All lines low ends the LE pulse. Whether it reads back is not acted on,
    // but a port that went away here leaves the pulse unfinished, as when the
    // LE line never went out.
    return WriteUnchecked(module, port, 0) && leRaised.reached;
}
