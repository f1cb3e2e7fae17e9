#pragma once
// The serial and the parallel transfer of the control word. They take the step
// states as plain values so that they run without any window.

#include <array>
#include <cstdint>

class PortAccess;

// On/off state of step buttons 0 to 6 (button i drives bit i of the control word).
using StepStates = std::array<bool, 7>;

// Nominal attenuation last loaded through LE lines 1 to 6 (entry 0 is unused).
using LeMemoryTable = std::array<float, 7>;

// Clocks step buttons 5 down to 0 out on D1 with the clock on D0, pulses the LE
// line `leIndex` (1 to 6, on D2 to D7) and records `displayedValue` in
// leMemory[leIndex]. Ends at once, with nothing latched or recorded, when a data
// write is not verified or the port cannot be used. A `leIndex` outside 1 to 6
// sends nothing. True when the transfer ran to its end with the LE pulse sent
// (the device was loaded); only then is the value recorded. A transfer whose
// port became unusable at the LE write or at the write that ends the pulse
// records nothing and returns false.
bool SendSerialWord(PortAccess& module, int32_t port, const StepStates& steps, int16_t leIndex,
                    float displayedValue, LeMemoryTable& leMemory);

// The parallel word of the step states: buttons 0 to 5 on D0 to D5, button 6
// on D7. D6 is never set by the word; it is the latch line.
uint8_t ParallelWordOf(const StepStates& steps);

// Puts the parallel word on the data lines; returns the word it wrote.
uint8_t SendParallelWord(PortAccess& module, int32_t port, const StepStates& steps);

// Raises and lowers the latch line D6 with `word` (as SendParallelWord wrote it)
// on the other lines: writes the word with D6 set, then the word. The lines are
// never read for it. Does nothing when the port cannot be used. True when the
// whole pulse was sent.
bool ParallelLatchPulse(PortAccess& module, int32_t port, uint8_t word);
