// What the ppdev backend tells the user about a port it cannot use.

#include <cerrno>
#include <sstream>
#include <system_error>

#include "port/PpdevPort.h"

namespace {

// An address as the user types it in the address box, and in decimal.
std::string AddressText(int32_t address) {
    std::ostringstream text;
    text << std::hex << std::uppercase << address << std::dec << " (decimal " << address << ")";
    return text.str();
}

const char* RegisterName(int64_t offset) {
    return offset == 1 ? "status" : "control";
}

std::string ListedPortsText(const std::vector<ParportInfo>& ports) {
    if (ports.empty()) {
        return "none";
    }
    std::string text;
    for (const ParportInfo& info : ports) {
        text += (text.empty() ? "" : ", ") + AddressText(info.base);
    }
    return text;
}

} // namespace

std::string PpdevPort::UnavailableReason(int32_t port) const {
    const ParportInfo* info = FindBase(port);
    if (info == nullptr) {
        Register reg = Register::Data;
        if (const ParportInfo* owner = FindListed(port, reg)) {
            const int64_t offset = int64_t{port} - owner->base;
            return AddressText(port) + " is the " + RegisterName(offset) +
                   " register of the parallel port at " + AddressText(owner->base) +
                   ", not a port address. Parallel ports found: " + ListedPortsText(ports_) +
                   ". Type the base address of a port in the address box.";
        }
        return "No parallel port at address " + AddressText(port) +
               ". Parallel ports found: " + ListedPortsText(ports_) +
               ". Check the address box; if your port is missing, run: sudo modprobe parport_pc";
    }
    const std::string where = "Parallel port at " + AddressText(port);
    const std::string device = DevicePath(info->number);
    const auto error = lastErrno_.find(info->number);
    const int code = error == lastErrno_.end() ? 0 : error->second;
    const auto gone = gone_.find(info->number);
    if (gone != gone_.end() && gone->second) {
        return where + " stopped working: " + device + " reports \"" +
               std::generic_category().message(code) +
               "\". Check that its adapter or card is connected and its driver loaded "
               "(sudo modprobe parport_pc ppdev); the program opens it again when it is next used.";
    }
    switch (code) {
    case ENOENT:
    case ENODEV:
        return where + ": " + device + " is missing. Run: sudo modprobe ppdev";
    case EACCES:
    case EPERM:
        return where + ": no permission to use " + device +
               ". Join the lp group: sudo usermod -aG lp $USER, then log in again.";
    case EBUSY:
    case ENXIO:
        return where + " is held by another driver or program. Free it, for example: sudo rmmod lp";
    case 0:
        return where + " cannot be used.";
    default:
        return where + ": cannot use " + device + " (" + std::generic_category().message(code) +
               ").";
    }
}

PortProblem PpdevPort::UnavailableProblem(int32_t port) const {
    const ParportInfo* info = FindBase(port);
    if (info == nullptr) {
        return PortProblem::NotListed;
    }
    const auto gone = gone_.find(info->number);
    if (gone != gone_.end() && gone->second) {
        return PortProblem::NoDevice;
    }
    const auto error = lastErrno_.find(info->number);
    switch (error == lastErrno_.end() ? 0 : error->second) {
    case ENOENT:
    case ENODEV:
        return PortProblem::NoDevice;
    case EACCES:
    case EPERM:
        return PortProblem::NoPermission;
    case EBUSY:
    case ENXIO:
        return PortProblem::Busy;
    default:
        return PortProblem::Other;
    }
}
