#pragma once
// Load: sends a control word to the board over the model's interface. The
// serial transfer clocks six steps out and latches them through one LE line,
// recording the displayed value for that line; the parallel transfer puts the
// word on the data lines and pulses the latch line D6. Every front end loads
// through here.

#include <cstdint>

#include "core/Catalogue.h"
#include "port/Transfers.h"

class PortAccess;

struct LoadOutcome {
    bool latched = false;  // the device got its latch pulse
    bool verified = false; // every write of the transfer read back what was written
};

// `displayedValue` is what the serial transfer records in leMemory[leIndex]
// when it latches (the window records its display reading).
LoadOutcome Load(PortAccess& access, int32_t port, InterfaceClass interfaceClass,
                 const StepStates& steps, int16_t leIndex, float displayedValue,
                 LeMemoryTable& leMemory);
