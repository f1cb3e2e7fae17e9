#pragma once
// How many Loads per second the core's Load gets through a port backend.

#include <cstdint>

#include "core/Catalogue.h"

class PortIo;
class SimulatedBoard;

struct LoadRate {
    long loads = 0;
    double seconds = 0.0;
    double PerSecond() const { return seconds > 0.0 ? static_cast<double>(loads) / seconds : 0.0; }
};

// Runs `loads` Loads of alternating words through `io` at `port`. `simulated`,
// when given, has its access log cleared as it goes so it does not grow.
LoadRate MeasureLoads(PortIo& io, SimulatedBoard* simulated, int32_t port,
                      InterfaceClass interfaceClass, long loads);
