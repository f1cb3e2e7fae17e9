#pragma once
// The board as every front end drives it, whatever carries the bytes there:
// opened on a transport (the kernel's parallel ports through ppdev, or the
// simulated board), verified byte access to a port, Loads, why a port cannot
// be used, the ports there are, and what the simulated board latched. The port
// layer behind it belongs to the core; front ends see only this.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/PortProblem.h"
#include "common/UserNotifier.h"
#include "core/Catalogue.h"
#include "core/ControlWord.h"

class FtdiAdapterPort;
class PortAccess;
class PortIo;
class PpdevPort;
class SimulatedBoard;

enum class Transport {
    ParallelPort, // the kernel's parallel ports, through ppdev
    Simulated,    // the simulated board: no hardware, no /dev, no root
    FtdiAdapter,  // an FTDI USB adapter in bit-bang mode, its pins as D0 to D7
};

struct BoardRequest {
    Transport transport = Transport::ParallelPort;
    // Where the kernel lists its parallel ports and keeps their device nodes.
    std::string parportRoot = "/proc/sys/dev/parport";
    std::string deviceDir = "/dev";
    // The adapter's ftdi:// address, for Transport::FtdiAdapter.
    std::string adapterUrl;
};

// Empty when `url` is an FTDI adapter address the program can use, else what
// is wrong with it, for the user.
std::string AdapterUrlProblem(const std::string& url);
// Whether `text` is meant as an adapter address (it starts with ftdi://).
bool LooksLikeAdapterUrl(const std::string& text);

// What the simulated board's devices hold, as its logic saw the data lines.
struct BoardState {
    struct Device {
        uint8_t value = 0; // serial: steps 5 to 0 in bits 5 to 0; parallel: the lines, D6 clear
        int loads = 0;     // how many times it was loaded
    };
    uint8_t lines = 0;
    std::array<Device, 7> serial{}; // by LE line 1 to 6; entry 0 unused
    Device parallel;

    const Device& SerialDevice(int le) const;
};

struct LoadOutcome {
    bool latched = false;  // the device got its latch pulse
    bool verified = false; // every write of the transfer read back what was written
};

// One FTDI adapter on the USB, tried as a Load would open it.
struct ListedAdapter {
    std::string url;    // its address, by serial number where it has one
    std::string chip;   // "FT232H"; empty for a chip the program does not know
    std::string serial; // empty when it has none
    std::string description;
    int bus = 0;        // where it is plugged in
    int address = 0;
    bool usable = false;
    PortProblem problem = PortProblem::None;
    std::string reason;
};

// One port the kernel lists, tried as a Load would open it.
struct ListedPort {
    int32_t base = 0;
    std::string device; // its device node
    bool usable = false;
    // The port opened but reading its data register failed.
    bool readFailed = false;
    // Why it cannot be used, when it is unavailable.
    PortProblem problem = PortProblem::None;
    std::string reason;
};

class Board {
public:
    // The board on the transport `request` names. What the port layer would
    // show the user (a beep, a message) goes to `notifier`, which must outlive it.
    static std::unique_ptr<Board> Open(const BoardRequest& request, UserNotifier& notifier);
    // A board over a port backend made elsewhere (the test suite's ports); `io`
    // must outlive it. A simulated board behind `io` is recognised as one.
    Board(PortIo& io, UserNotifier& notifier);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    // Writes `value` to the data register (or register `reg`) of the port at
    // `base` and reads it back, up to ten tries: 1 when it read back, 0
    // otherwise (no port configured, not a byte, unusable, ten mismatches with
    // one beep).
    int16_t WritePortVerified(int32_t base, int16_t value);
    int16_t WritePortVerified(int32_t base, PortRegister reg, int16_t value);

    // Sends `word` (bit i is step i) to the device at the port `port`: clocked
    // out and latched through LE line `le` (1 to 6) for a serial interface,
    // put on the data lines with the latch pulse for a parallel one. Nothing
    // is sent when no port is configured.
    LoadOutcome Load(int32_t port, InterfaceClass interfaceClass, ControlWord word, int le);

    // After an access: whether the port at `base` was found unusable, the kind
    // of fault, and the text that says what to do about it.
    bool PortUnavailable(int32_t base) const;
    PortProblem ProblemOf(int32_t base) const;
    std::string ReasonOf(int32_t base) const;

    // False for the port numbers up to 100, which mean that no port is configured.
    static bool PortConfigured(int32_t port);

    // The base addresses the kernel lists (none on the simulated board).
    std::vector<int32_t> ListedBases() const;
    // Every listed port, each opened and read as a Load would (the simulated
    // board: its one port, usable).
    std::vector<ListedPort> Ports() const;

    // The FTDI adapters on the USB, each opened and closed again as a Load
    // would open it. False, with `failure`, when the USB could not be searched.
    static bool Adapters(std::vector<ListedAdapter>& adapters, std::string& failure);

    // Drives the board through another transport from now on (a server told
    // to use an adapter); what the old one held is let go.
    void Retarget(const BoardRequest& request);
    const BoardRequest& Request() const { return request_; }
    // The adapter's address when the board is driven through one, else empty.
    std::string AdapterUrl() const;
    // USB bulk writes of the last Load through an adapter; 0 otherwise.
    int LastUsbWrites() const;

    // The address a board on `transport` is driven at when nothing names one:
    // the simulated board's base, the usual first printer port for an
    // adapter (which answers at any address), 0 (none) for the kernel's ports.
    static int32_t DefaultBase(Transport transport);

    // Where the simulated board answers when it is opened with Open.
    static int32_t SimulatedBase();
    bool Simulated() const { return simulated_ != nullptr; }
    // The base the simulated board answers at; 0 on real ports.
    int32_t SimulatedBoardBase() const { return simulatedBase_; }
    // What the simulated board holds now; all zero on real ports.
    BoardState SimulatedState() const;
    // The simulated board logs every access for the tests; a long run that
    // nobody reads the log of forgets it after each Load.
    void ForgetSimulatedAccesses();
    // Called after every write to the simulated board, so that a display can
    // follow the lines as they change; an empty observer removes it.
    void OnSimulatedWrite(std::function<void()> observer);

private:
    friend SimulatedBoard* SimulatedBoardOf(Board& board);

    Board(std::unique_ptr<PortIo> owned, PortIo& io, UserNotifier& notifier);
    static std::unique_ptr<PortIo> BackendFor(const BoardRequest& request);
    void Attach(PortIo& io);

    std::unique_ptr<PortIo> owned_;
    PortIo* io_;
    UserNotifier& notifier_;
    std::unique_ptr<PortAccess> access_;
    SimulatedBoard* simulated_ = nullptr;
    int32_t simulatedBase_ = 0;
    PpdevPort* ppdev_ = nullptr;
    FtdiAdapterPort* adapter_ = nullptr;
    BoardRequest request_;
};
