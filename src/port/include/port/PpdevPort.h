#pragma once
// The program's real port backend on Linux: the parallel ports the kernel lists
// under /proc/sys/dev/parport, reached through their /dev/parportN device nodes.
// Only the data, status and control registers of a listed port are accepted;
// every other port number is refused, since a write to an arbitrary I/O port can
// hang the machine. Only a listed port's base address is a port address.
// A device that goes away under an open descriptor (the adapter unplugged, the
// driver unloaded) makes the port unusable; its descriptor is closed and the
// device is opened again at the next access.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "port/PortIo.h"

// One parallel port the kernel knows about.
struct ParportInfo {
    int number;      // N of /dev/parportN
    int32_t base;    // I/O address of the data register
    int32_t ecrBase; // I/O address of the extended control register, -1 if none
};

// Reads <procRoot>/parportN/base-addr for every parportN directory, ordered by N.
// Directories without a readable base address are left out.
std::vector<ParportInfo> DiscoverParports(const std::string& procRoot);

// The system calls the backend makes; tests substitute their own.
class PpdevSystem {
public:
    virtual ~PpdevSystem() = default;
    // Returns a file descriptor, or -1 with errno set.
    virtual int Open(const std::string& path, int flags);
    // Returns 0 (or a non-negative value) on success, -1 with errno set.
    virtual int Ioctl(int fd, unsigned long request, void* arg);
    virtual int Close(int fd);
};

class PpdevPort : public PortIo {
public:
    explicit PpdevPort(std::string procRoot = "/proc/sys/dev/parport", std::string devDir = "/dev",
                       std::unique_ptr<PpdevSystem> system = nullptr);
    ~PpdevPort() override;

    PpdevPort(const PpdevPort&) = delete;
    PpdevPort& operator=(const PpdevPort&) = delete;

    // Ok when `base` is the base address of a listed port; the kernel's list is
    // read again first when it is not on it.
    PortStatus CheckBase(int32_t base) override;
    PortStatus Out32(int32_t port, uint8_t value) override;
    PortStatus Inp32(int32_t port, uint8_t& value) override;
    // Both name `port` as the address of a port (the address the user typed):
    // a register above a port's base is no port address.
    std::string UnavailableReason(int32_t port) const override;
    PortProblem UnavailableProblem(int32_t port) const override;

    // The ports the kernel listed at the last look (when this backend was made,
    // and again whenever a port number not on the list was asked for).
    const std::vector<ParportInfo>& Ports() const { return ports_; }

private:
    struct OpenPort {
        int fd = -1;
        // Bit 5 of the control register (data lines as inputs), as last set.
        bool dataInput = false;
        // The driver said the device is gone (errno kept in goneErrno).
        bool gone = false;
        int goneErrno = 0;
    };
    // Offset from the base address.
    enum class Register { Data = 0, Status = 1, Control = 2 };

    // The listed port whose registers include `port`, or nullptr.
    const ParportInfo* FindListed(int32_t port, Register& reg) const;
    // The listed port whose base address is `base`, or nullptr.
    const ParportInfo* FindBase(int32_t base) const;
    // As FindListed, looking at the kernel's list again when the port is not on it.
    const ParportInfo* Find(int32_t port, Register& reg);
    // The open, claimed device of `info`; opens and claims it on first use.
    // nullptr when that failed (the error is kept for the reason text).
    OpenPort* Claim(const ParportInfo& info);
    std::string DevicePath(int number) const;
    // Closes the device of port `number` after the driver said it is gone.
    void Drop(int number);
    // Runs `access` on the claimed device of the port holding `port`, and lets
    // go of the device when the driver said it is gone.
    template <typename Access> PortStatus OnDevice(int32_t port, Access access);

    PortStatus Write(OpenPort& open, Register reg, uint8_t value);
    PortStatus Read(OpenPort& open, Register reg, uint8_t& value);
    PortStatus Call(OpenPort& open, unsigned long request, void* arg);

    std::string procRoot_;
    std::string devDir_;
    std::unique_ptr<PpdevSystem> system_;
    std::vector<ParportInfo> ports_;
    std::map<int, OpenPort> open_; // by parport number
    std::map<int, int> lastErrno_; // by parport number, from the last failed claim
    std::map<int, bool> gone_;     // by parport number: lastErrno_ came from a vanished device
};
