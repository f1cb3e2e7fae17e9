#include "core/Load.h"

#include "port/PortAccess.h"

LoadOutcome Load(PortAccess& access, int32_t port, InterfaceClass interfaceClass,
                 const StepStates& steps, int16_t leIndex, float displayedValue,
                 LeMemoryTable& leMemory) {
    const long unverifiedBefore = access.UnverifiedWrites();
    LoadOutcome outcome;
    if (!PortAccess::PortConfigured(port)) {
        return outcome;
    }
    // One Load is one operation for the user: a read error that repeats on
    // every try is shown once.
    const PortAccess::Operation operation(access);
    if (interfaceClass == InterfaceClass::Parallel) {
        const uint8_t word = SendParallelWord(access, port, steps);
        outcome.latched = ParallelLatchPulse(access, port, word);
    } else {
        outcome.latched =
            SendSerialWord(access, port, steps, leIndex, displayedValue, leMemory);
    }
    outcome.verified = outcome.latched && access.UnverifiedWrites() == unverifiedBefore;
    return outcome;
}
