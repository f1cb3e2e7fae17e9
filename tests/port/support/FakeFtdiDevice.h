#pragma once
// An FTDI chip in synchronous bit-bang as the batching sees it: for every
// byte written the chip first samples the pins, then drives the byte, so each
// byte read is the pin state before the next byte went out. Faults are
// switched on by the test.

#include <deque>
#include <vector>

#include "port/FtdiDevice.h"

class FakeFtdiDevice : public FtdiDevice {
public:
    FtdiStatus List(bool, std::vector<FtdiAdapterInfo>& found) override {
        // An unplugged adapter is not on the USB.
        found = gone ? std::vector<FtdiAdapterInfo>() : adapters;
        return listStatus;
    }
    FtdiStatus Open(const FtdiAddress& address) override {
        opened.push_back(address);
        return openStatus;
    }
    FtdiStatus ReadPins(uint8_t& value) override {
        value = pins;
        return gone ? FtdiStatus::NoDevice : FtdiStatus::Ok;
    }
    FtdiStatus SetSyncBitBang() override { return FtdiStatus::Ok; }
    FtdiStatus SetBaudRate(int) override { return FtdiStatus::Ok; }

    FtdiStatus Write(const std::vector<uint8_t>& bytes, std::size_t& written) override {
        written = 0;
        writes.push_back(bytes);
        if (gone) {
            return FtdiStatus::NoDevice;
        }
        const int write = static_cast<int>(writes.size()) - 1;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            uint8_t sampled = pins;
            if (write < corruptWrites && static_cast<int>(i) == corruptEchoAt) {
                sampled ^= 0x01;
            }
            received.push_back(sampled);
            pins = bytes[i];
            driven.push_back(pins);
        }
        written = bytes.size();
        if (write + 1 == goneAfterWrites) {
            gone = true;
        }
        return FtdiStatus::Ok;
    }

    FtdiStatus Read(std::size_t count, std::vector<uint8_t>& bytes) override {
        bytes.clear();
        ++reads;
        if (gone) {
            return FtdiStatus::NoDevice;
        }
        // A short read leaves the rest in the buffer, as a slow adapter would.
        const std::size_t take = reads <= shortReads && count > 0 ? count - 1 : count;
        while (bytes.size() < take && !received.empty()) {
            bytes.push_back(received.front());
            received.pop_front();
        }
        return FtdiStatus::Ok;
    }

    FtdiStatus Purge() override {
        ++purges;
        if (gone) {
            return FtdiStatus::NoDevice;
        }
        received.clear();
        return FtdiStatus::Ok;
    }

    void Close() override {}
    std::string ErrorText() const override { return gone ? "adapter unplugged" : ""; }

    // What the pins show now; the board sees every value in `driven`.
    uint8_t pins = 0xFF;
    FtdiStatus openStatus = FtdiStatus::Ok;
    FtdiStatus listStatus = FtdiStatus::Ok;
    // What a listing of the USB finds: one FT232H unless the test says otherwise.
    std::vector<FtdiAdapterInfo> adapters{{kFtdiVendorId, 0x6014, "FT5XYZ12", "UM232H", 1, 4,
                                           FtdiStatus::Ok, ""}};
    std::vector<FtdiAddress> opened;
    // The echo at index corruptEchoAt of each of the first corruptWrites
    // writes reads back with D0 flipped.
    int corruptWrites = 0;
    int corruptEchoAt = -1;
    // The first shortReads reads return one byte too few.
    int shortReads = 0;
    // The adapter is unplugged once this many writes have gone out (-1:
    // never); `gone` set by the test unplugs it from the start.
    int goneAfterWrites = -1;
    bool gone = false;

    std::vector<std::vector<uint8_t>> writes;
    std::vector<uint8_t> driven;
    std::deque<uint8_t> received;
    int reads = 0;
    int purges = 0;
};
