#pragma once
// The port backend a front end runs on: the kernel's parallel ports through
// ppdev, or the simulated board (no hardware, no root, no /dev access).

#include <cstdint>
#include <memory>

#include "port/PortIo.h"

class SimulatedPort;

// The base address at which the simulated board answers.
constexpr int32_t kSimulatedBoardBase = 0x378;

struct PortBackend {
    std::unique_ptr<PortIo> io;
    // The simulated board, when `io` is one; nullptr for real ports.
    SimulatedPort* simulated = nullptr;
};

PortBackend MakePortBackend(bool simulate);
