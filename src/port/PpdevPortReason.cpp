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
    Register reg = Register::Data;
    const ParportInfo* info = FindListed(port, reg);
    if (info == nullptr) {
        return "No parallel port at address " + AddressText(port) +
               ". Parallel ports found: " + ListedPortsText(ports_) +
               ". Check the address box; if your port is missing, run: sudo modprobe parport_pc";
    }
    const std::string where = "Parallel port at " + AddressText(port);
    const std::string device = DevicePath(info->number);
    const auto error = lastErrno_.find(info->number);
    const int code = error == lastErrno_.end() ? 0 : error->second;
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
    Register reg = Register::Data;
    const ParportInfo* info = FindListed(port, reg);
    if (info == nullptr) {
        return PortProblem::NotListed;
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
