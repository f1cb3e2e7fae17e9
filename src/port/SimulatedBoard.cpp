// The simulated printer port and the model of the board wired to it.

#include "port/SimulatedBoard.h"

#include "port/PinMap.h"

#include <algorithm>
#include <sstream>

namespace {

constexpr uint8_t kClockLine = pins::kClock;
constexpr uint8_t kDataLine = pins::kData;
constexpr uint8_t kLatchLine = pins::kLatch;
constexpr uint8_t kSerialBitsMask = pins::kSerialStepsMask;

} // namespace

void BoardDecoder::Feed(uint8_t lines) {
    const auto rising = static_cast<uint8_t>(lines & ~lines_);
    lines_ = lines;
    if ((rising & kClockLine) != 0) {
        const int bit = (lines & kDataLine) != 0 ? 1 : 0;
        shift_ = static_cast<uint8_t>(((shift_ << 1) | bit) & kSerialBitsMask);
    }
    for (int le = 1; le <= pins::kLeCount; ++le) {
        if ((rising & pins::LeLine(le)) != 0) {
            Latched& device = serial_[static_cast<std::size_t>(le)];
            device.value = shift_;
            ++device.loads;
        }
    }
    if ((rising & kLatchLine) != 0) {
        parallel_.value = static_cast<uint8_t>(lines & ~kLatchLine);
        ++parallel_.loads;
    }
}

const BoardDecoder::Latched& BoardDecoder::SerialDevice(int le) const {
    return serial_.at(static_cast<std::size_t>(le));
}

SimulatedBoard::SimulatedBoard(int32_t dataPort) : dataPort_(dataPort) {}

PortStatus SimulatedBoard::CheckBase(int32_t base) {
    return base == dataPort_ ? PortStatus::Ok : PortStatus::Unavailable;
}

PortStatus SimulatedBoard::Out32(int32_t port, uint8_t value) {
    Faults& faults = faults_[port];
    PortStatus status = PortStatus::Ok;
    if (faults.unavailable) {
        status = PortStatus::Unavailable;
    } else if (TakeError(faults.writeErrors)) {
        status = PortStatus::AccessError;
    } else {
        registers_[port] = value;
        if (port == dataPort_) {
            board_.Feed(value);
        }
    }
    log_.push_back({Kind::Write, port, value, status, std::chrono::steady_clock::now()});
    if (writeObserver_) {
        const Access access = log_.back(); // the observer may touch the port
        writeObserver_(access);
    }
    return status;
}

PortStatus SimulatedBoard::Inp32(int32_t port, uint8_t& value) {
    Faults& faults = faults_[port];
    PortStatus status = PortStatus::Ok;
    if (faults.unavailable) {
        status = PortStatus::Unavailable;
    } else if (TakeError(faults.readErrors)) {
        status = PortStatus::AccessError;
    } else {
        value = static_cast<uint8_t>((Register(port) | faults.stuckHigh) & ~faults.stuckLow);
    }
    log_.push_back({Kind::Read, port, status == PortStatus::Ok ? value : uint8_t{0}, status,
                    std::chrono::steady_clock::now()});
    return status;
}

std::string SimulatedBoard::UnavailableReason(int32_t port) const {
    const auto faults = faults_.find(port);
    if (port != dataPort_ && (faults == faults_.end() || !faults->second.unavailable)) {
        std::ostringstream text;
        text << std::hex << std::uppercase << "No simulated port at address " << port
             << "; the simulated board is on the port at " << dataPort_ << ".";
        return text.str();
    }
    switch (UnavailableProblem(port)) {
    case PortProblem::NoPermission:
        return "Simulated port " + std::to_string(port) + ": no permission.";
    case PortProblem::Busy:
        return "Simulated port " + std::to_string(port) + " is held by another program.";
    default:
        return "Simulated port " + std::to_string(port) + " is switched off.";
    }
}

PortProblem SimulatedBoard::UnavailableProblem(int32_t port) const {
    const auto found = faults_.find(port);
    if (found != faults_.end() && found->second.unavailable) {
        return found->second.problem;
    }
    return port == dataPort_ ? PortProblem::None : PortProblem::NotListed;
}

uint8_t SimulatedBoard::Register(int32_t port) const {
    const auto found = registers_.find(port);
    return found == registers_.end() ? uint8_t{0} : found->second;
}

std::vector<int> SimulatedBoard::WritesTo(int32_t port) const {
    std::vector<int> values;
    for (const Access& access : log_) {
        if (access.kind == Kind::Write && access.port == port) {
            values.push_back(access.value);
        }
    }
    return values;
}

int SimulatedBoard::ReadCount(int32_t port) const {
    return static_cast<int>(std::count_if(log_.begin(), log_.end(), [port](const Access& access) {
        return access.kind == Kind::Read && access.port == port;
    }));
}

bool SimulatedBoard::TakeError(int& count) {
    if (count == 0) {
        return false;
    }
    if (count > 0) {
        --count;
    }
    return true;
}
