// The simulated port at one base address; see SimulatedParallelPort.h.

#include "port/SimulatedParallelPort.h"

#include <sstream>

namespace {

// Data, status and control register.
constexpr int32_t kRegisterCount = 3;

std::string HexText(int32_t address) {
    std::ostringstream text;
    text << std::hex << std::uppercase << address;
    return text.str();
}

} // namespace

SimulatedParallelPort::SimulatedParallelPort(int32_t base) : base_(base), board_(base) {}

bool SimulatedParallelPort::Serves(int32_t port) const {
    return port >= base_ && port < base_ + kRegisterCount;
}

PortStatus SimulatedParallelPort::CheckBase(int32_t base) {
    return base == base_ ? board_.CheckBase(base) : PortStatus::Unavailable;
}

PortStatus SimulatedParallelPort::Out32(int32_t port, uint8_t value) {
    return Serves(port) ? board_.Out32(port, value) : PortStatus::Unavailable;
}

PortStatus SimulatedParallelPort::Inp32(int32_t port, uint8_t& value) {
    return Serves(port) ? board_.Inp32(port, value) : PortStatus::Unavailable;
}

std::string SimulatedParallelPort::UnavailableReason(int32_t port) const {
    if (port == base_) {
        return board_.UnavailableReason(port);
    }
    return "No parallel port at address " + HexText(port) + ": the simulated board answers at " +
           HexText(base_) + ". Type " + HexText(base_) + " in the port address box.";
}

PortProblem SimulatedParallelPort::UnavailableProblem(int32_t port) const {
    return port == base_ ? board_.UnavailableProblem(port) : PortProblem::NotListed;
}
