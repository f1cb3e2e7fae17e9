#pragma once
// The serial and the parallel transfer of a control word (bit i is step i).

#include <cstdint>

class PortAccess;

// Clocks steps 5 down to 0 of `word` out on D1 with the clock on D0 and pulses
// the LE line `leIndex` (1 to 6, on D2 to D7). Ends at once, with nothing
// latched, when a data write is not verified or the port cannot be used. A
// `leIndex` outside 1 to 6 sends nothing. True when the transfer ran to its end
// with the LE pulse sent (the device was loaded); a transfer whose port became
// unusable at the LE write or at the write that ends the pulse returns false.
// A backend that carries batches gets the whole transfer at once, the LE pulse
// only after every state before it read back.
bool SendSerialWord(PortAccess& module, int32_t port, uint8_t word, int16_t leIndex);

// Puts the parallel lines of `word` on the data lines (steps 0 to 5 on D0 to
// D5, step 6 on D7; D6 is the latch line); returns the lines it wrote.
uint8_t SendParallelWord(PortAccess& module, int32_t port, uint8_t word);

// Raises and lowers the latch line D6 with `word` (as SendParallelWord wrote it)
// on the other lines: writes the word with D6 set, then the word. The lines are
// never read for it. Does nothing when the port cannot be used. True when the
// whole pulse was sent.
bool ParallelLatchPulse(PortAccess& module, int32_t port, uint8_t word);

// The whole parallel transfer: the word, then the latch pulse. A backend that
// carries batches gets both at once, the pulse only after the word read back.
bool SendParallelTransfer(PortAccess& module, int32_t port, uint8_t word);
