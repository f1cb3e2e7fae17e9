#include "core/PortBackend.h"

#include "port/PpdevPort.h"

PortBackend MakePortBackend(bool simulate) {
    PortBackend backend;
    if (simulate) {
        auto simulated = std::make_unique<SimulatedParallelPort>(kSimulatedBoardBase);
        backend.simulated = simulated.get();
        backend.io = std::move(simulated);
    } else {
        backend.io = std::make_unique<PpdevPort>();
    }
    return backend;
}
