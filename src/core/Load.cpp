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
    if (interfaceClass == InterfaceClass::Parallel) {
        SendParallelWord(access, port, steps);
        outcome.latched = ParallelLatchPulse(access, port);
    } else {
        outcome.latched =
            SendSerialWord(access, port, steps, leIndex, displayedValue, leMemory);
    }
    outcome.verified = outcome.latched && access.UnverifiedWrites() == unverifiedBefore;
    return outcome;
}
