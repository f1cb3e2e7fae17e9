#pragma once
// The few operations the FTDI transport needs from a USB adapter, behind an
// interface so the batching above it can run against an emulated chip.
// FtdiLibDevice drives a real adapter through libftdi.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiUrl.h"

enum class FtdiStatus {
    Ok,
    NoDevice,     // no adapter matches, or it was unplugged
    Busy,         // another program or driver holds the adapter
    NoPermission, // this user may not open the adapter's USB device
    Failed,       // anything else; ErrorText says what
};

class FtdiDevice {
public:
    virtual ~FtdiDevice() = default;

    // Opens the first adapter that matches `address`, on its interface.
    virtual FtdiStatus Open(const FtdiAddress& address) = 0;

    // Synchronous bit-bang with all eight pins AD0..AD7 driven as outputs.
    virtual FtdiStatus SetSyncBitBang() = 0;

    virtual FtdiStatus SetBaudRate(int baud) = 0;

    // One bulk write of `bytes`; `written` is how many the adapter took.
    virtual FtdiStatus Write(const std::vector<uint8_t>& bytes, std::size_t& written) = 0;

    // Reads up to `count` bytes into `bytes` (replacing its contents), waiting
    // a bounded time for them; fewer come back when the adapter sent fewer.
    virtual FtdiStatus Read(std::size_t count, std::vector<uint8_t>& bytes) = 0;

    // Drops what is waiting in the adapter's buffers, both ways.
    virtual FtdiStatus Purge() = 0;

    virtual void Close() = 0;

    // After a status other than Ok: what went wrong, for the user.
    virtual std::string ErrorText() const = 0;
};

std::unique_ptr<FtdiDevice> MakeFtdiLibDevice();
