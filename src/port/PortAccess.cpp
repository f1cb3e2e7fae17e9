#include "port/PortAccess.h"

#include <string>

namespace {

// Port numbers up to this value mean that no port is configured.
constexpr int32_t kHighestUnconfiguredPort = 100;
constexpr int kWriteTries = 10;

bool IsByte(int16_t value) {
    return value >= 0 && value <= 255;
}

// The registers of one parallel port (data, status, control) share a block of
// four port numbers starting at its base address. The user hears about an
// unusable port once per block, named by its base: the address they typed.
int32_t PortBase(int32_t port) {
    return port & ~int32_t{3};
}

} // namespace

bool PortAccess::PortConfigured(int32_t port) {
    return port > kHighestUnconfiguredPort;
}

PortAccess::PortAccess(PortIo& io, UserNotifier& notifier) : io_(io), notifier_(notifier) {}

int16_t PortAccess::WritePortVerified(int32_t port, int16_t value) {
    // A value that is not a byte is refused rather than cut down to one: the
    // truncated byte would drive other lines than the caller meant.
    if (!PortConfigured(port) || !IsByte(value)) {
        return 0;
    }
    const auto byte = static_cast<uint8_t>(value);
    for (int attempt = 0; attempt < kWriteTries; ++attempt) {
        const Outcome outcome = TryWrite(port, byte);
        if (outcome == Outcome::Done) {
            return 1;
        }
        if (outcome == Outcome::Unavailable) {
            ++unverifiedWrites_;
            return 0;
        }
    }
    ++unverifiedWrites_;
    notifier_.Beep();
    return 0;
}

int16_t PortAccess::ReadPortValue(int32_t port) {
    if (!PortConfigured(port)) {
        return 0;
    }
    uint8_t value = 0;
    return ReadOnce(port, value) == Outcome::Done ? value : 0;
}

bool PortAccess::PortUnavailable(int32_t port) const {
    return unavailable_.count(port) != 0;
}

PortAccess::Outcome PortAccess::TryWrite(int32_t port, uint8_t value) {
    switch (io_.Out32(port, value)) {
    case PortStatus::Ok:
        break;
    case PortStatus::AccessError:
        return Outcome::Failed;
    case PortStatus::Unavailable:
        NoteUnavailable(port);
        return Outcome::Unavailable;
    }
    NoteWorked(port);
    // A failed read proves nothing about the register, whatever value was written.
    uint8_t readBack = 0;
    const Outcome read = ReadOnce(port, readBack);
    if (read != Outcome::Done) {
        return read;
    }
    return readBack == value ? Outcome::Done : Outcome::Failed;
}

PortAccess::Outcome PortAccess::ReadOnce(int32_t port, uint8_t& value) {
    switch (io_.Inp32(port, value)) {
    case PortStatus::Ok:
        NoteWorked(port);
        return Outcome::Done;
    case PortStatus::AccessError:
        notifier_.ShowMessage("Error reading From:" + std::to_string(port));
        return Outcome::Failed;
    case PortStatus::Unavailable:
        break;
    }
    NoteUnavailable(port);
    return Outcome::Unavailable;
}

void PortAccess::NoteWorked(int32_t port) {
    unavailable_.erase(port);
    reportedUnavailable_.erase(PortBase(port));
}

void PortAccess::NoteUnavailable(int32_t port) {
    unavailable_.insert(port);
    const int32_t base = PortBase(port);
    if (reportedUnavailable_.insert(base).second) {
        notifier_.ShowMessage(io_.UnavailableReason(base));
    }
}
