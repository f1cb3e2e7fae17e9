#pragma once
// Verified byte access to the printer port. These two operations are the only
// way the rest of the program reaches the port.
//
// A port is named by its base address, the address the user typed: its data
// register is at the base, its control register two above. Only the base of a
// port the backend knows is used; any other address gets the one "cannot be
// used" message and nothing is written.

#include <chrono>
#include <cstdint>
#include <set>
#include <string>

#include "port/PortIo.h"
#include "common/UserNotifier.h"

struct TransferLines;

class PortAccess {
public:
    PortAccess(PortIo& io, UserNotifier& notifier);

    // Writes `value` to the data register of the port at `base` and reads it
    // back, up to ten tries. Returns 1 when the port read back the value, 0
    // otherwise (no port configured, value not a byte, port unusable, or ten
    // mismatches - the last sounds one beep).
    int16_t WritePortVerified(int32_t base, int16_t value);
    // The same for register `reg` of the port at `base`.
    int16_t WritePortVerified(int32_t base, PortRegister reg, int16_t value);

    // Reads one byte from the data register (or register `reg`) of the port at
    // `base`; 0 when no port is configured or the read failed ("Error reading
    // From:" and the register's decimal port number are shown on a failure).
    int16_t ReadPortValue(int32_t base);
    int16_t ReadPortValue(int32_t base, PortRegister reg);

    // Whether the backend takes whole transfers (see SendTransfer).
    bool CarriesBatches() const { return io_.CarriesBatches(); }

    // Sends a transfer's line states to the port at `base` in one batch, on a
    // backend that carries batches: true when the latch pulse went out after
    // every state read back as written. A body that never read back sounds one
    // beep, as ten mismatches of a single write do; an unusable port gets the
    // one "cannot be used" message. Nothing is sent when no port is configured.
    bool SendTransfer(int32_t base, const TransferLines& lines);

    // True when the last access to the port at `base` found it unusable; a
    // transfer under way ends instead of going on byte by byte.
    bool PortUnavailable(int32_t base) const;

    // False for the port numbers up to 100, which mean that no port is configured.
    static bool PortConfigured(int32_t port);

    // The kind of fault behind the last "cannot be used" of the port at `base`,
    // and the text that says what to do about it.
    PortProblem ProblemOf(int32_t base) const { return io_.UnavailableProblem(base); }
    std::string ReasonOf(int32_t base) const { return io_.UnavailableReason(base); }

    // How many writes to a configured port have not been verified so far (ten
    // mismatches, a failed access, or an unusable port). Callers compare the
    // count before and after a transfer to tell whether every write verified.
    long UnverifiedWrites() const { return unverifiedWrites_; }

    // What the last WritePortVerified did to the lines.
    struct WriteReport {
        // At least one write reached the port (the backend took it).
        bool reached = false;
        // When the last write that reached the port was done; when the call
        // ended, if none did. A pulse's minimum width counts from here.
        std::chrono::steady_clock::time_point at{};
    };
    const WriteReport& LastWrite() const { return lastWrite_; }

    // One operation on the port as the user sees it (a Load, the zero write of
    // an activation): while one is open, a read error that repeats is shown
    // once per port number, not once per try. Each access outside one is an
    // operation of its own. Operations nest; the outermost one counts.
    class Operation {
    public:
        explicit Operation(PortAccess& access);
        ~Operation();
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        PortAccess& access_;
    };

private:
    enum class Outcome { Done, Failed, Unavailable };

    // False, with the one message, when `base` is no usable port address.
    bool BaseUsable(int32_t base);
    // One read of `port` (a register of the port at `base`); shows "Error
    // reading From:" when the read fails.
    Outcome ReadOnce(int32_t base, int32_t port, uint8_t& value);
    // One write-then-read; Done when the port read back `value`.
    Outcome TryWrite(int32_t base, int32_t port, uint8_t value);
    void NoteWorked(int32_t base);
    void NoteUnavailable(int32_t base);

    PortIo& io_;
    UserNotifier& notifier_;
    // Base addresses whose "cannot be used" message has been shown and not yet
    // cleared by a successful access: the user sees it once per port, not once per
    // byte or per register.
    std::set<int32_t> reportedUnavailable_;
    std::set<int32_t> unavailable_;
    // Port numbers whose read error has been shown in the open operation.
    std::set<int32_t> readErrorsShown_;
    int operationDepth_ = 0;
    long unverifiedWrites_ = 0;
    WriteReport lastWrite_;
};
