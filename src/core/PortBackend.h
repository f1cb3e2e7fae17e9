#pragma once
// The port backend a front end runs on: the kernel's parallel ports through
// ppdev, or the simulated board (no hardware, no root, no /dev access).

#include <cstdint>
#include <memory>

#include "port/PortIo.h"
#include "port/SimulatedParallelPort.h"

struct PortBackend {
    std::unique_ptr<PortIo> io;
    // The simulated board (at kSimulatedBoardBase), when `io` is one; nullptr
    // for real ports.
    SimulatedParallelPort* simulated = nullptr;
};

PortBackend MakePortBackend(bool simulate);
