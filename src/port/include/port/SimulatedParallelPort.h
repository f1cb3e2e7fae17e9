#pragma once
// The simulated board as the programs reach it with --simulate: one parallel
// port at a fixed base address (data, status and control registers) with the
// simulated board on its data lines. Every other port number answers like an
// address where the kernel lists no parallel port, so a mistyped address in the
// address box behaves as it does with real hardware.

#include <cstdint>
#include <string>

#include "port/PortIo.h"
#include "port/SimulatedBoard.h"

// Where the simulated board answers: the usual base of the first printer port,
// so the address users already know from real boards works unchanged.
constexpr int32_t kSimulatedBoardBase = 0x378;

class SimulatedParallelPort : public PortIo {
public:
    explicit SimulatedParallelPort(int32_t base = kSimulatedBoardBase);

    // Only the simulated port's own base is a port address (37A, the control
    // register of 378, is not one).
    PortStatus CheckBase(int32_t base) override;
    PortStatus Out32(int32_t port, uint8_t value) override;
    PortStatus Inp32(int32_t port, uint8_t& value) override;
    std::string UnavailableReason(int32_t port) const override;
    PortProblem UnavailableProblem(int32_t port) const override;

    int32_t Base() const { return base_; }
    // True for the three registers of the simulated port.
    bool Serves(int32_t port) const;

    // The registers and the board behind them (log, decoder, write observer).
    SimulatedBoard& Board() { return board_; }
    const SimulatedBoard& Board() const { return board_; }

private:
    int32_t base_;
    SimulatedBoard board_;
};
