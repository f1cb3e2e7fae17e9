#pragma once
// Byte access to I/O ports by port number: the two operations the rest of the
// program builds on (write one byte, read one byte). Implementations decide how
// a port number reaches hardware; none of them may touch a port they do not know.

#include <cstdint>
#include <string>
#include <vector>

#include "common/PortProblem.h"

enum class PortStatus {
    Ok,
    // The port exists and is open, but this one access failed.
    AccessError,
    // The port cannot be used at all (no parallel port at that address, device
    // node missing, permission denied, port held by another driver).
    Unavailable,
};

// What a backend that carries a whole transfer at once did with it.
struct PortBatchOutcome {
    PortStatus status = PortStatus::Ok; // Unavailable: the port cannot be used
    bool verified = false; // every state before the latch read back as written
    bool latched = false;  // and the latch pulse went out and read back too
};

class PortIo {
public:
    virtual ~PortIo() = default;

    // Writes one byte to the I/O port `port`.
    virtual PortStatus Out32(int32_t port, uint8_t value) = 0;

    // Reads one byte from the I/O port `port` into `value`.
    virtual PortStatus Inp32(int32_t port, uint8_t& value) = 0;

    // Ok when `base` is the base address (the data register) of a port this
    // backend drives, Unavailable otherwise: an address inside a port's register
    // block, or one where no port is, is no port address. Nothing is written or
    // read. Backends that know no list of ports take every address; one that
    // passes accesses on to another backend must pass this on too.
    virtual PortStatus CheckBase(int32_t base) {
        static_cast<void>(base);
        return PortStatus::Ok;
    }

    // After an access returned Unavailable: one or two sentences for the user
    // that name the address and say what to do about it.
    virtual std::string UnavailableReason(int32_t port) const = 0;

    // True for a backend that takes a transfer's line states in one batch (a
    // USB adapter, where one round trip per state would take milliseconds).
    virtual bool CarriesBatches() const { return false; }

    // Puts `body` then, only when all of it read back as written, `latch` on
    // the data lines of the port at `base`, retrying the body itself as it
    // sees fit. Only backends that carry batches are asked.
    virtual PortBatchOutcome SendBatch(int32_t base, const std::vector<uint8_t>& body,
                                       const std::vector<uint8_t>& latch) {
        static_cast<void>(base);
        static_cast<void>(body);
        static_cast<void>(latch);
        return {PortStatus::AccessError, false, false};
    }

    // After an access returned Unavailable: the kind of fault behind the reason.
    virtual PortProblem UnavailableProblem(int32_t port) const {
        static_cast<void>(port);
        return PortProblem::Other;
    }
};
