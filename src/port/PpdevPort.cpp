#include "port/PpdevPort.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace {

constexpr uint8_t kControlLines = 0x0F; // strobe, auto feed, init, select in
constexpr uint8_t kDataInputBit = 0x20; // data lines as inputs

} // namespace

PpdevPort::PpdevPort(std::string procRoot, std::string devDir, std::unique_ptr<PpdevSystem> system)
    : procRoot_(std::move(procRoot)), devDir_(std::move(devDir)),
      system_(system ? std::move(system) : std::make_unique<PpdevSystem>()),
      ports_(DiscoverParports(procRoot_)) {}

PpdevPort::~PpdevPort() {
    for (auto& [number, open] : open_) {
        system_->Ioctl(open.fd, PPRELEASE, nullptr);
        system_->Close(open.fd);
    }
}

PortStatus PpdevPort::Out32(int32_t port, uint8_t value) {
    Register reg = Register::Data;
    const ParportInfo* info = Find(port, reg);
    OpenPort* open = info ? Claim(*info) : nullptr;
    return open ? Write(*open, reg, value) : PortStatus::Unavailable;
}

PortStatus PpdevPort::Inp32(int32_t port, uint8_t& value) {
    Register reg = Register::Data;
    const ParportInfo* info = Find(port, reg);
    OpenPort* open = info ? Claim(*info) : nullptr;
    return open ? Read(*open, reg, value) : PortStatus::Unavailable;
}

const ParportInfo* PpdevPort::FindListed(int32_t port, Register& reg) const {
    for (const ParportInfo& info : ports_) {
        const int64_t offset = int64_t{port} - info.base;
        if (offset >= 0 && offset <= 2) {
            reg = static_cast<Register>(offset);
            return &info;
        }
    }
    return nullptr;
}

const ParportInfo* PpdevPort::Find(int32_t port, Register& reg) {
    if (const ParportInfo* info = FindListed(port, reg)) {
        return info;
    }
    // The user may have loaded the port driver since the last look.
    ports_ = DiscoverParports(procRoot_);
    return FindListed(port, reg);
}

std::string PpdevPort::DevicePath(int number) const {
    return devDir_ + "/parport" + std::to_string(number);
}

PpdevPort::OpenPort* PpdevPort::Claim(const ParportInfo& info) {
    const auto found = open_.find(info.number);
    if (found != open_.end()) {
        return &found->second;
    }
    const int fd = system_->Open(DevicePath(info.number), O_RDWR);
    if (fd < 0) {
        lastErrno_[info.number] = errno;
        return nullptr;
    }
    // Exclusive: no other driver may drive the lines between our writes.
    if (system_->Ioctl(fd, PPEXCL, nullptr) < 0 || system_->Ioctl(fd, PPCLAIM, nullptr) < 0) {
        lastErrno_[info.number] = errno;
        system_->Close(fd);
        return nullptr;
    }
    lastErrno_.erase(info.number);
    OpenPort& open = open_[info.number];
    open = OpenPort{fd, false};
    return &open;
}

PortStatus PpdevPort::Write(OpenPort& open, Register reg, uint8_t value) {
    switch (reg) {
    case Register::Data:
        return Call(open, PPWDATA, &value);
    case Register::Status:
        // The status register is read-only; the hardware ignores a write to it.
        return PortStatus::Ok;
    case Register::Control:
        break;
    }
    auto lines = static_cast<uint8_t>(value & kControlLines);
    int dataInput = (value & kDataInputBit) != 0 ? 1 : 0;
    if (Call(open, PPWCONTROL, &lines) != PortStatus::Ok ||
        Call(open, PPDATADIR, &dataInput) != PortStatus::Ok) {
        return PortStatus::AccessError;
    }
    open.dataInput = dataInput != 0;
    return PortStatus::Ok;
}

PortStatus PpdevPort::Read(OpenPort& open, Register reg, uint8_t& value) {
    switch (reg) {
    case Register::Data:
        return Call(open, PPRDATA, &value);
    case Register::Status:
        return Call(open, PPRSTATUS, &value);
    case Register::Control:
        break;
    }
    uint8_t lines = 0;
    if (Call(open, PPRCONTROL, &lines) != PortStatus::Ok) {
        return PortStatus::AccessError;
    }
    value = static_cast<uint8_t>((lines & kControlLines) | (open.dataInput ? kDataInputBit : 0));
    return PortStatus::Ok;
}

PortStatus PpdevPort::Call(OpenPort& open, unsigned long request, void* arg) {
    return system_->Ioctl(open.fd, request, arg) < 0 ? PortStatus::AccessError : PortStatus::Ok;
}
