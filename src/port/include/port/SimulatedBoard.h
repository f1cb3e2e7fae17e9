#pragma once
// A printer port with a test board on it, in software: for tests and for
// running the program without hardware. The port's registers read back what was
// written unless a fault is switched on; every access is logged with the time
// on the steady clock at which it was done; the writes to
// the data register drive a model of the board's shift register and latches.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "port/PortIo.h"

// The board as its logic sees the data lines (pin table: D0 clock, D1 serial
// data, D2 to D7 LE1 to LE6; for parallel devices D0 to D5 and D7 carry the word
// and D6 is the latch).
class BoardDecoder {
public:
    struct Latched {
        uint8_t value = 0; // what the device holds
        int loads = 0;     // how many times it was loaded
    };

    // The data lines after a write to the data register.
    void Feed(uint8_t lines);

    // Device on LE line `le` (1 to 6): its six bits, step 5 in bit 5 down to step 0 in bit 0.
    const Latched& SerialDevice(int le) const;
    // The parallel device: the word as on the lines (D0 to D5 and D7), D6 clear.
    const Latched& ParallelDevice() const { return parallel_; }
    // The shift register shared by the serial devices (first bit in ends up in bit 5).
    uint8_t ShiftRegister() const { return shift_; }
    uint8_t Lines() const { return lines_; }

private:
    uint8_t lines_ = 0;
    uint8_t shift_ = 0;
    std::array<Latched, 7> serial_{}; // by LE line; entry 0 unused
    Latched parallel_;
};

class SimulatedBoard : public PortIo {
public:
    enum class Kind { Write, Read };
    struct Access {
        Kind kind;
        int32_t port;
        uint8_t value; // written, or returned by the read
        PortStatus status;
        // When the access was done: for a write, the moment the lines changed.
        std::chrono::steady_clock::time_point at{};
    };
    // Faults of one port number. Error counts: that many accesses fail, then the
    // port works again; a negative count fails every access.
    struct Faults {
        uint8_t stuckHigh = 0; // bits that read back as 1
        uint8_t stuckLow = 0;  // bits that read back as 0
        int readErrors = 0;
        int writeErrors = 0;
        bool unavailable = false;
        // The kind of fault an unavailable port reports.
        PortProblem problem = PortProblem::NotListed;
    };

    // `dataPort` is the data register the board is wired to, the base address
    // of the one port there is.
    explicit SimulatedBoard(int32_t dataPort = 0x378);

    // Ok for the board's port only.
    PortStatus CheckBase(int32_t base) override;
    PortStatus Out32(int32_t port, uint8_t value) override;
    PortStatus Inp32(int32_t port, uint8_t& value) override;
    std::string UnavailableReason(int32_t port) const override;
    PortProblem UnavailableProblem(int32_t port) const override;

    Faults& FaultsOf(int32_t port) { return faults_[port]; }
    // Sets a register as if the hardware had changed it, without a logged write.
    void SetRegister(int32_t port, uint8_t value) { registers_[port] = value; }
    uint8_t Register(int32_t port) const;

    const std::vector<Access>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }
    // Every value handed to Out32 for `port`, in order, whether or not it got through.
    std::vector<int> WritesTo(int32_t port) const;
    int ReadCount(int32_t port) const;

    const BoardDecoder& Decoder() const { return board_; }
    // The data register the board is wired to.
    int32_t DataPort() const { return dataPort_; }

    // Called after every Out32, once the write is logged and the board has seen
    // it (also for writes that did not get through), so that a display can
    // follow the lines as they change. One observer; an empty one removes it.
    using WriteObserver = std::function<void(const Access&)>;
    void SetWriteObserver(WriteObserver observer) { writeObserver_ = std::move(observer); }

private:
    static bool TakeError(int& count);

    int32_t dataPort_;
    std::map<int32_t, uint8_t> registers_;
    std::map<int32_t, Faults> faults_;
    std::vector<Access> log_;
    BoardDecoder board_;
    WriteObserver writeObserver_;
};
