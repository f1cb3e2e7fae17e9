#pragma once
// Verified byte access to the printer port. These two operations are the only
// way the rest of the program reaches the port.

#include <cstdint>
#include <set>
#include <string>

#include "port/PortIo.h"
#include "port/UserNotifier.h"

class PortAccess {
public:
    PortAccess(PortIo& io, UserNotifier& notifier);

    // Writes `value` to `port` and reads it back, up to ten tries. Returns 1 when
    // the port read back the value, 0 otherwise (no port configured, value not a
    // byte, port unusable, or ten mismatches - the last sounds one beep).
    int16_t WritePortVerified(int32_t port, int16_t value);

    // Reads one byte from `port`; 0 when no port is configured or the read failed
    // ("Error reading From:" and the decimal port number are shown on a failure).
    int16_t ReadPortValue(int32_t port);

    // True when the last access to `port` found it unusable; a transfer under way
    // ends instead of going on byte by byte.
    bool PortUnavailable(int32_t port) const;

    // False for the port numbers up to 100, which mean that no port is configured.
    static bool PortConfigured(int32_t port);

    // The kind of fault behind the last "cannot be used" of `port`, and the text
    // that says what to do about it.
    PortProblem ProblemOf(int32_t port) const { return io_.UnavailableProblem(port); }
    std::string ReasonOf(int32_t port) const { return io_.UnavailableReason(port); }

    // How many writes to a configured port have not been verified so far (ten
    // mismatches, a failed access, or an unusable port). Callers compare the
    // count before and after a transfer to tell whether every write verified.
    long UnverifiedWrites() const { return unverifiedWrites_; }

private:
    enum class Outcome { Done, Failed, Unavailable };

    // One read of `port`; shows "Error reading From:" when the read fails.
    Outcome ReadOnce(int32_t port, uint8_t& value);
    // One write-then-read; Done when the port read back `value`.
    Outcome TryWrite(int32_t port, uint8_t value);
    void NoteWorked(int32_t port);
    void NoteUnavailable(int32_t port);

    PortIo& io_;
    UserNotifier& notifier_;
    // Base addresses whose "cannot be used" message has been shown and not yet
    // cleared by a successful access: the user sees it once per port, not once per
    // byte or per register.
    std::set<int32_t> reportedUnavailable_;
    std::set<int32_t> unavailable_;
    long unverifiedWrites_ = 0;
};
