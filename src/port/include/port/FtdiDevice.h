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

// One FTDI adapter on the USB, as a listing finds it.
struct FtdiAdapterInfo {
    uint16_t vendor = kFtdiVendorId;
    uint16_t product = 0;
    std::string serial;      // empty when the adapter has none
    std::string description; // the adapter's product string
    int bus = 0;             // where it is plugged in
    int address = 0;
    // Whether it opened when the listing tried it, and if not why.
    FtdiStatus status = FtdiStatus::Ok;
    std::string reason;
};

class FtdiDevice {
public:
    virtual ~FtdiDevice() = default;

    // Every FTDI adapter on the USB; with `probe` each is opened and closed
    // again to learn whether this user may use it.
    virtual FtdiStatus List(bool probe, std::vector<FtdiAdapterInfo>& adapters) = 0;

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

    // The pins as they are now.
    virtual FtdiStatus ReadPins(uint8_t& pins) = 0;

    // Drops what is waiting in the adapter's buffers, both ways.
    virtual FtdiStatus Purge() = 0;

    virtual void Close() = 0;

    // After a status other than Ok: what went wrong, for the user.
    virtual std::string ErrorText() const = 0;
};

std::unique_ptr<FtdiDevice> MakeFtdiLibDevice();
