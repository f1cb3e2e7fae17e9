// The ppdev backend: listed ports, their device nodes and register access.

#include "port/PpdevPort.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

namespace {

constexpr uint8_t kControlLines = 0x0F; // strobe, auto feed, init, select in
constexpr uint8_t kDataInputBit = 0x20; // data lines as inputs

// The errors of a driver call that mean the device is gone for good: the
// adapter was unplugged or the driver unloaded under the open descriptor.
bool DeviceGone(int error) {
    return error == ENODEV || error == ENXIO || error == EIO;
}

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

PortStatus PpdevPort::CheckBase(int32_t base) {
    if (FindBase(base) == nullptr) {
        // The user may have loaded the port driver since the last look.
        ports_ = DiscoverParports(procRoot_);
    }
    return FindBase(base) != nullptr ? PortStatus::Ok : PortStatus::Unavailable;
}

template <typename Access> PortStatus PpdevPort::OnDevice(int32_t port, Access access) {
    Register reg = Register::Data;
    const ParportInfo* info = Find(port, reg);
    OpenPort* open = info ? Claim(*info) : nullptr;
    if (open == nullptr) {
        return PortStatus::Unavailable;
    }
    const PortStatus status = access(*open, reg);
    if (open->gone) {
        Drop(info->number);
    }
    return status;
}

PortStatus PpdevPort::Out32(int32_t port, uint8_t value) {
    return OnDevice(
        port, [this, value](OpenPort& open, Register reg) { return Write(open, reg, value); });
}

PortStatus PpdevPort::Inp32(int32_t port, uint8_t& value) {
    return OnDevice(
        port, [this, &value](OpenPort& open, Register reg) { return Read(open, reg, value); });
}

void PpdevPort::Drop(int number) {
    const auto found = open_.find(number);
    if (found == open_.end()) {
        return;
    }
    // Closing releases whatever claim the driver still holds.
    lastErrno_[number] = found->second.goneErrno;
    gone_[number] = true;
    system_->Close(found->second.fd);
    open_.erase(found);
}

const ParportInfo* PpdevPort::FindBase(int32_t base) const {
    for (const ParportInfo& info : ports_) {
        if (info.base == base) {
            return &info;
        }
    }
    return nullptr;
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
    gone_.erase(info.number);
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
    PortStatus status = Call(open, PPWCONTROL, &lines);
    if (status == PortStatus::Ok) {
        status = Call(open, PPDATADIR, &dataInput);
    }
    if (status == PortStatus::Ok) {
        open.dataInput = dataInput != 0;
    }
    return status;
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
    const PortStatus status = Call(open, PPRCONTROL, &lines);
    if (status != PortStatus::Ok) {
        return status;
    }
    value = static_cast<uint8_t>((lines & kControlLines) | (open.dataInput ? kDataInputBit : 0));
    return PortStatus::Ok;
}

PortStatus PpdevPort::Call(OpenPort& open, unsigned long request, void* arg) {
    if (system_->Ioctl(open.fd, request, arg) >= 0) {
        return PortStatus::Ok;
    }
    if (DeviceGone(errno)) {
        open.gone = true;
        open.goneErrno = errno;
        return PortStatus::Unavailable;
    }
    return PortStatus::AccessError;
}
