// Verified writes and reported reads of a port's registers, the base address
// check, and what the user is told when a port fails.

#include "port/PortAccess.h"

#include <limits>
#include <string>

#include "port/TransferLines.h"

namespace {

// Port numbers up to this value mean that no port is configured.
constexpr int32_t kHighestUnconfiguredPort = 100;
constexpr int kWriteTries = 10;
// The highest register offset from a port's base address.
constexpr int32_t kHighestRegister = static_cast<int32_t>(PortRegister::Control);

bool IsByte(int16_t value) {
    return value >= 0 && value <= 255;
}

int32_t RegisterPort(int32_t base, PortRegister reg) {
    return base + static_cast<int32_t>(reg);
}

} // namespace

bool PortAccess::PortConfigured(int32_t port) {
    return port > kHighestUnconfiguredPort;
}

PortAccess::PortAccess(PortIo& io, UserNotifier& notifier) : io_(io), notifier_(notifier) {}

PortAccess::Operation::Operation(PortAccess& access) : access_(access) {
    ++access_.operationDepth_;
}

PortAccess::Operation::~Operation() {
    if (--access_.operationDepth_ == 0) {
        access_.readErrorsShown_.clear();
    }
}

int16_t PortAccess::WritePortVerified(int32_t base, int16_t value) {
    return WritePortVerified(base, PortRegister::Data, value);
}

int16_t PortAccess::WritePortVerified(int32_t base, PortRegister reg, int16_t value) {
    lastWrite_ = {};
    // A value that is not a byte is refused rather than cut down to one: the
    // truncated byte would drive other lines than the caller meant.
    if (!PortConfigured(base) || !IsByte(value)) {
        lastWrite_.at = std::chrono::steady_clock::now();
        return 0;
    }
    const Operation operation(*this);
    int16_t result = 0;
    if (!BaseUsable(base)) {
        ++unverifiedWrites_;
    } else {
        const auto byte = static_cast<uint8_t>(value);
        const int32_t port = RegisterPort(base, reg);
        Outcome outcome = Outcome::Failed;
        for (int attempt = 0; attempt < kWriteTries && outcome == Outcome::Failed; ++attempt) {
            outcome = TryWrite(base, port, byte);
        }
        if (outcome == Outcome::Done) {
            result = 1;
        } else {
            ++unverifiedWrites_;
            if (outcome == Outcome::Failed) {
                notifier_.Beep();
            }
        }
    }
    if (!lastWrite_.reached) {
        lastWrite_.at = std::chrono::steady_clock::now();
    }
    return result;
}

bool PortAccess::SendTransfer(int32_t base, const TransferLines& lines) {
    lastWrite_ = {};
    if (!PortConfigured(base)) {
        return false;
    }
    const Operation operation(*this);
    if (!BaseUsable(base)) {
        ++unverifiedWrites_;
        return false;
    }
    const PortBatchOutcome outcome = io_.SendBatch(base, lines.body, lines.latch);
    if (outcome.status == PortStatus::Unavailable) {
        NoteUnavailable(base);
        ++unverifiedWrites_;
        return false;
    }
    lastWrite_ = {true, std::chrono::steady_clock::now()};
    NoteWorked(base);
    if (!outcome.latched) {
        ++unverifiedWrites_;
        notifier_.Beep();
        return false;
    }
    return true;
}

int16_t PortAccess::ReadPortValue(int32_t base) {
    return ReadPortValue(base, PortRegister::Data);
}

int16_t PortAccess::ReadPortValue(int32_t base, PortRegister reg) {
    if (!PortConfigured(base)) {
        return 0;
    }
    const Operation operation(*this);
    uint8_t value = 0;
    if (!BaseUsable(base)) {
        return 0;
    }
    return ReadOnce(base, RegisterPort(base, reg), value) == Outcome::Done ? value : 0;
}

bool PortAccess::PortUnavailable(int32_t base) const {
    return unavailable_.count(base) != 0;
}

bool PortAccess::BaseUsable(int32_t base) {
    // A base so high that its control register has no port number is no port.
    if (base > std::numeric_limits<int32_t>::max() - kHighestRegister ||
        io_.CheckBase(base) != PortStatus::Ok) {
        NoteUnavailable(base);
        return false;
    }
    return true;
}

PortAccess::Outcome PortAccess::TryWrite(int32_t base, int32_t port, uint8_t value) {
    switch (io_.Out32(port, value)) {
    case PortStatus::Ok:
        break;
    case PortStatus::AccessError:
        return Outcome::Failed;
    case PortStatus::Unavailable:
        NoteUnavailable(base);
        return Outcome::Unavailable;
    }
    // Taken after the write returned: a hold counted from here is at least as
    // long as the time the lines have held the value.
    lastWrite_ = {true, std::chrono::steady_clock::now()};
    NoteWorked(base);
    // A failed read proves nothing about the register, whatever value was written.
    uint8_t readBack = 0;
    const Outcome read = ReadOnce(base, port, readBack);
    if (read != Outcome::Done) {
        return read;
    }
    return readBack == value ? Outcome::Done : Outcome::Failed;
}

PortAccess::Outcome PortAccess::ReadOnce(int32_t base, int32_t port, uint8_t& value) {
    switch (io_.Inp32(port, value)) {
    case PortStatus::Ok:
        NoteWorked(base);
        return Outcome::Done;
    case PortStatus::AccessError:
        if (readErrorsShown_.insert(port).second) {
            notifier_.ShowMessage("Error reading From:" + std::to_string(port));
        }
        return Outcome::Failed;
    case PortStatus::Unavailable:
        break;
    }
    NoteUnavailable(base);
    return Outcome::Unavailable;
}

void PortAccess::NoteWorked(int32_t base) {
    unavailable_.erase(base);
    reportedUnavailable_.erase(base);
}

void PortAccess::NoteUnavailable(int32_t base) {
    unavailable_.insert(base);
    if (reportedUnavailable_.insert(base).second) {
        notifier_.ShowMessage(io_.UnavailableReason(base));
    }
}
