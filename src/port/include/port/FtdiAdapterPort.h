#pragma once
// A parallel port made of an FTDI USB adapter in synchronous bit-bang: its
// pins AD0 to AD7 stand in for the data lines D0 to D7 of the port at whatever
// base address the user gave, so the board sees the same clock, data, LE and
// latch lines. The status and control registers have no counterpart: writes
// to them do nothing and reads give 0. Transfers go out as batches (see
// FtdiBatch.h), two USB writes per Load when nothing fails.
//
// The adapter is opened at its first access. One that was unplugged is
// closed, reported once, and opened again at the next access.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiDevice.h"
#include "port/PortIo.h"

// The bit-bang clock, as the baud rate given to the chip. At the fastest the
// chips make of it (16 pin updates per baud clock, times the 4 libftdi adds in
// bit-bang mode: 192,000 updates per second) every state of the lines lasts
// at least 5.2 us, longer than the 5 us the latch pulse is held on a parallel
// port and the 2 us of the clock and LE pulses.
constexpr int kFtdiBitBangBaud = 3000;

class FtdiAdapterPort : public PortIo {
public:
    using DeviceMaker = std::function<std::unique_ptr<FtdiDevice>()>;

    // The adapter at `url` (an ftdi:// address); `makeDevice` makes the USB
    // side (libftdi unless a test gives its own).
    explicit FtdiAdapterPort(std::string url, DeviceMaker makeDevice = MakeFtdiLibDevice);
    ~FtdiAdapterPort() override;

    // Opens the adapter when it is not open; any base address is the adapter's.
    PortStatus CheckBase(int32_t base) override;
    PortStatus Out32(int32_t port, uint8_t value) override;
    PortStatus Inp32(int32_t port, uint8_t& value) override;
    bool CarriesBatches() const override { return true; }
    PortBatchOutcome SendBatch(int32_t base, const std::vector<uint8_t>& body,
                               const std::vector<uint8_t>& latch) override;
    std::string UnavailableReason(int32_t port) const override;
    PortProblem UnavailableProblem(int32_t port) const override;

    const std::string& Url() const { return url_; }
    // USB bulk writes of the last batch.
    int LastUsbWrites() const { return lastUsbWrites_; }

    // The adapters on the USB; with `probe` each is tried as a Load would open
    // it. False, with Reason(), when the USB could not be searched.
    bool ListAdapters(bool probe, std::vector<FtdiAdapterInfo>& adapters);
    std::string ListFailure() const { return reason_; }

private:
    // Opens and sets up the adapter; false, with the problem and the reason
    // recorded, when it cannot be used.
    bool EnsureOpen();
    // A status from the adapter: unplugged, busy or forbidden make the port
    // unavailable (an unplugged one is opened again at the next access).
    PortStatus AfterFailure(FtdiStatus status, const std::string& detail);
    void Unusable(PortProblem problem, std::string reason);
    bool IsData(int32_t port) const { return port == base_; }

    std::string url_;
    DeviceMaker makeDevice_;
    std::unique_ptr<FtdiDevice> device_;
    bool open_ = false;
    int32_t base_ = 0;
    // The pins as the last write read them back, for the read that follows it.
    uint8_t readBack_ = 0;
    bool haveReadBack_ = false;
    int lastUsbWrites_ = 0;
    PortProblem problem_ = PortProblem::None;
    std::string reason_;
};
