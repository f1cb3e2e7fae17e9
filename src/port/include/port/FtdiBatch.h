#pragma once
// The bytes of one transfer, sent to an FTDI adapter in synchronous bit-bang
// and checked against what the pins read back, in as few USB round trips as
// the check allows.
//
// In synchronous bit-bang the chip samples the pins before it drives each
// byte, so the bytes read come back one behind the bytes written: echo[i + 1]
// is bytes[i], and the last byte is only read back when one more byte, a
// repeat of it, goes out behind it.

#include <cstdint>
#include <string>
#include <vector>

#include "common/PortProblem.h"
#include "port/FtdiDevice.h"

// The kind of port fault an adapter's status means (Failed is "other").
PortProblem PortProblemOf(FtdiStatus status);

// How often a batch that did not read back as written is sent, at most.
constexpr int kFtdiBatchTries = 10;

// The most bytes one batch may hold: the batch and its repeated last byte
// must fit the smallest receive buffer (the FT232R's 256 bytes), since the
// echoes are read only after the whole batch has gone out.
constexpr std::size_t kFtdiMostBatchBytes = 255;

struct FtdiBatchResult {
    bool verified = false; // every byte of the batch read back as written
    bool latched = false;  // and the latch tail went out and read back too
    int usbWrites = 0;     // bulk writes, batch tries and the tail together
    int tries = 0;         // times the batch was sent
    PortProblem problem = PortProblem::None;
    std::string reason;    // for the user when not latched
};

// Sends `bytes` with a repeat of the last one, reads the echoes in one read
// and checks them; sends the whole batch again, up to kFtdiBatchTries times in
// all, while they do not match. Only a verified batch is followed by
// `latchTail` (the latch pulse), in a second write. An adapter that is gone,
// busy or forbidden ends it at once.
FtdiBatchResult SendVerified(FtdiDevice& device, const std::vector<uint8_t>& bytes,
                             const std::vector<uint8_t>& latchTail);
