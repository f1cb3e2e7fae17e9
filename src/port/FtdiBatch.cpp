#include "port/FtdiBatch.h"

#include <sstream>

#include "port/FtdiDevice.h"

PortProblem PortProblemOf(FtdiStatus status) {
    switch (status) {
    case FtdiStatus::Ok:
        return PortProblem::None;
    case FtdiStatus::NoDevice:
        return PortProblem::NoDevice;
    case FtdiStatus::Busy:
        return PortProblem::Busy;
    case FtdiStatus::NoPermission:
        return PortProblem::NoPermission;
    case FtdiStatus::Failed:
        break;
    }
    return PortProblem::Other;
}

namespace {

// A status that no retry can mend.
bool Final(FtdiStatus status) {
    return status == FtdiStatus::NoDevice || status == FtdiStatus::Busy || status == FtdiStatus::NoPermission;
}

std::string Hex(unsigned value) {
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << (value < 16 ? "0" : "") << value;
    return text.str();
}

// Writes `out` and reads its echoes; the echo of out[i] is echo[i + 1], so
// the first echo (the pins before the write) is not checked. Empty when the
// pins read back as written, otherwise what did not.
struct RoundTrip {
    FtdiStatus status = FtdiStatus::Ok;
    std::string mismatch;
};

RoundTrip WriteAndCheck(FtdiDevice& device, const std::vector<uint8_t>& out, std::size_t checked,
                        int& usbWrites) {
    RoundTrip trip;
    std::size_t written = 0;
    ++usbWrites;
    trip.status = device.Write(out, written);
    if (trip.status != FtdiStatus::Ok) {
        trip.mismatch = device.ErrorText();
        return trip;
    }
    if (written != out.size()) {
        trip.mismatch = "the adapter took " + std::to_string(written) + " of " + std::to_string(out.size()) +
                        " bytes";
        return trip;
    }
    std::vector<uint8_t> echo;
    trip.status = device.Read(out.size(), echo);
    if (trip.status != FtdiStatus::Ok) {
        trip.mismatch = device.ErrorText();
        return trip;
    }
    if (echo.size() != out.size()) {
        trip.mismatch = std::to_string(echo.size()) + " of " + std::to_string(out.size()) + " bytes read back";
        return trip;
    }
    for (std::size_t i = 0; i < checked; ++i) {
        if (echo[i + 1] != out[i]) {
            trip.mismatch = "byte " + std::to_string(i + 1) + " was " + Hex(out[i]) + " but read back as " +
                            Hex(echo[i + 1]);
            return trip;
        }
    }
    return trip;
}

} // namespace

FtdiBatchResult SendVerified(FtdiDevice& device, const std::vector<uint8_t>& bytes,
                             const std::vector<uint8_t>& latchTail) {
    FtdiBatchResult result;
    if (bytes.size() > kFtdiMostBatchBytes) {
        result.problem = PortProblem::Other;
        result.reason = "A transfer of " + std::to_string(bytes.size()) + " bytes is longer than the " +
                        std::to_string(kFtdiMostBatchBytes) + " an FTDI adapter can check at once.";
        return result;
    }

    if (bytes.empty()) {
        result.verified = true;
    } else {
        std::vector<uint8_t> out = bytes;
        out.push_back(bytes.back());
        std::string mismatch;
        while (!result.verified && result.tries < kFtdiBatchTries) {
            if (result.tries > 0) {
                // Echoes of the failed try that arrive late must not be read
                // as this try's.
                const FtdiStatus purged = device.Purge();
                if (Final(purged)) {
                    result.problem = PortProblemOf(purged);
                    result.reason = device.ErrorText();
                    return result;
                }
            }
            ++result.tries;
            const RoundTrip trip = WriteAndCheck(device, out, bytes.size(), result.usbWrites);
            if (Final(trip.status)) {
                result.problem = PortProblemOf(trip.status);
                result.reason = trip.mismatch;
                return result;
            }
            mismatch = trip.mismatch;
            result.verified = trip.status == FtdiStatus::Ok && mismatch.empty();
        }
        if (!result.verified) {
            result.problem = PortProblem::Other;
            result.reason = "The board's data lines did not read back as written after " +
                            std::to_string(result.tries) + " tries (" + mismatch +
                            "); the board was not loaded.";
            return result;
        }
    }

    if (latchTail.empty()) {
        result.latched = true;
        return result;
    }
    // The tail's echoes: the repeated last byte, then all but the tail's own
    // last byte. Reading them leaves the receive buffer empty for the next batch.
    const RoundTrip trip = WriteAndCheck(device, latchTail, latchTail.size() - 1, result.usbWrites);
    result.latched = trip.status == FtdiStatus::Ok && trip.mismatch.empty();
    if (!result.latched) {
        result.problem = PortProblemOf(trip.status);
        if (result.problem == PortProblem::None) {
            result.problem = PortProblem::Other;
        }
        result.reason = "The latch pulse did not read back as written (" + trip.mismatch + ").";
    }
    return result;
}
