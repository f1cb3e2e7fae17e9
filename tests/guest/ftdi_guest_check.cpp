// Runs the FTDI transport of the port layer against an emulated FT232H in the
// test guest: ftdi_gadget presents the chip through the kernel's USB gadget
// and host stacks (dummy_hcd), and libftdi reaches it as it would a real
// adapter. Checks that the bytes of a batch arrive in one bulk write, that
// the one-byte lag of synchronous bit-bang is what the check of the echoes
// expects (a gadget that echoes without the lag makes every batch fail), that
// a batch whose echo came back wrong once is sent again, that the latch tail
// is not sent after ten failed tries, and that an unplugged adapter reads as
// gone; then dsactl itself through the adapter (ftdi_dsactl_checks.cpp).
//
// Usage: ftdi_guest_check [--bench] FTDI_GADGET DSACTL
// Prints one line per check and a final "N passed, M failed" line, and exits
// non-zero when any check failed. With --bench it prints the figures of
// ftdi_guest_bench.cpp instead.

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiBatch.h"
#include "port/FtdiDevice.h"
#include "port/FtdiUrl.h"

#include "CheckRun.h"
#include "GadgetControl.h"
#include "ftdi_dsactl_checks.h"
#include "ftdi_guest_bench.h"

namespace {

// A serial Load's shape: clock and data bits, then the latch pulse on LE1.
const std::vector<uint8_t> kBatch = {0x00, 0x02, 0x03, 0x00, 0x01, 0x02, 0x03, 0x00, 0x01};
const std::vector<uint8_t> kTail = {0x04, 0x00};

std::string Bytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char hex[4];
    for (uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        text += (text.empty() ? "" : " ") + std::string(hex);
    }
    return "[" + text + "]";
}

std::string Describe(const FtdiBatchResult& result) {
    return "verified " + std::to_string(result.verified) + ", latched " +
           std::to_string(result.latched) + ", " + std::to_string(result.tries) + " tries, " +
           std::to_string(result.usbWrites) + " bulk writes" +
           (result.reason.empty() ? "" : ": " + result.reason);
}

std::string Describe(const std::vector<GadgetTransfer>& transfers) {
    std::string text;
    for (const GadgetTransfer& transfer : transfers) {
        text += (text.empty() ? "" : ", ") + Bytes(transfer.bytes);
    }
    return std::to_string(transfers.size()) + " transfers: " + text;
}

std::unique_ptr<FtdiDevice> OpenAdapter(const std::string& url, FtdiStatus& status) {
    std::unique_ptr<FtdiDevice> device = MakeFtdiLibDevice();
    const FtdiUrlResult parsed = ParseFtdiUrl(url);
    status = parsed.Ok() ? device->Open(parsed.address) : FtdiStatus::Failed;
    if (status == FtdiStatus::Ok) {
        status = device->SetSyncBitBang();
    }
    if (status == FtdiStatus::Ok) {
        status = device->SetBaudRate(1000000);
    }
    return device;
}

// One batch through SendVerified, with the transfers the gadget saw for it.
struct Sent {
    FtdiBatchResult result;
    std::vector<GadgetTransfer> transfers;
};

Sent Send(FtdiDevice& device, GadgetControl& gadget) {
    const long before = gadget.Transfers();
    Sent sent;
    sent.result = SendVerified(device, kBatch, kTail);
    // The count is the gadget's answer after the last transfer: the log has it.
    gadget.Transfers();
    sent.transfers = GadgetControl::TransfersAfter(before);
    return sent;
}

bool AllBatches(const std::vector<GadgetTransfer>& transfers) {
    std::vector<uint8_t> repeated = kBatch;
    repeated.push_back(kBatch.back());
    for (const GadgetTransfer& transfer : transfers) {
        if (transfer.bytes != repeated) {
            return false;
        }
    }
    return true;
}

void CheckPortLayer(CheckRun& run, GadgetControl& gadget) {
    const std::string url = "ftdi://ftdi:232h/1";
    FtdiStatus status = FtdiStatus::Failed;
    std::unique_ptr<FtdiDevice> device = OpenAdapter(url, status);
    run.Check(status == FtdiStatus::Ok, "libftdi opens " + url + " in synchronous bit-bang",
              device->ErrorText());
    if (status != FtdiStatus::Ok) {
        return;
    }

    // Fresh pins read 0xFF; each echo is the pins before its byte was driven.
    std::size_t written = 0;
    std::vector<uint8_t> echo;
    const FtdiStatus wrote = device->Write({0x55, 0xAA, 0xAA}, written);
    const FtdiStatus read = wrote == FtdiStatus::Ok ? device->Read(3, echo) : wrote;
    run.Check(read == FtdiStatus::Ok && echo == std::vector<uint8_t>{0xFF, 0x55, 0xAA},
              "55 AA AA written reads back FF 55 AA, one byte behind",
              "read " + Bytes(echo) + " " + device->ErrorText());

    Sent sent = Send(*device, gadget);
    std::vector<uint8_t> repeated = kBatch;
    repeated.push_back(kBatch.back());
    run.Check(sent.result.verified && sent.result.latched && sent.result.tries == 1 &&
                  sent.result.usbWrites == 2,
              "a batch is verified and latched in two bulk writes", Describe(sent.result));
    run.Check(sent.transfers.size() == 2 && sent.transfers[0].bytes == repeated &&
                  sent.transfers[1].bytes == kTail,
              "the pins see the batch with its last byte repeated, then the latch tail",
              Describe(sent.transfers));

    gadget.Ok("lag off");
    sent = Send(*device, gadget);
    gadget.Ok("lag on");
    run.Check(!sent.result.verified && !sent.result.latched && sent.result.tries == kFtdiBatchTries,
              "echoes without the one-byte lag fail all ten tries", Describe(sent.result));
    run.Check(sent.transfers.size() == kFtdiBatchTries && AllBatches(sent.transfers),
              "after ten failed tries the latch tail is not sent", Describe(sent.transfers));

    gadget.Ok("corrupt 1");
    sent = Send(*device, gadget);
    run.Check(sent.result.verified && sent.result.latched && sent.result.tries == 2 &&
                  sent.result.usbWrites == 3,
              "an echo spoiled once is mended by a second try", Describe(sent.result));
    run.Check(sent.transfers.size() == 3 && sent.transfers[2].bytes == kTail,
              "the latch tail follows the second try", Describe(sent.transfers));

    gadget.Ok("corrupt 10");
    sent = Send(*device, gadget);
    run.Check(!sent.result.verified && !sent.result.latched &&
                  sent.result.tries == kFtdiBatchTries &&
                  sent.transfers.size() == kFtdiBatchTries && AllBatches(sent.transfers) &&
                  sent.result.problem == PortProblem::Other,
              "ten spoiled echoes: ten tries and no latch tail",
              Describe(sent.result) + "; " + Describe(sent.transfers));

    run.Check(gadget.Ok("unplug"), "the gadget unplugs", gadget.Problem());
    sent = Send(*device, gadget);
    run.Check(!sent.result.latched && sent.result.problem == PortProblem::NoDevice,
              "an unplugged adapter reads as gone", Describe(sent.result));
    device->Close();
    run.Check(gadget.Ok("plug"), "the gadget plugs in again", gadget.Problem());

    device = OpenAdapter("ftdi://ftdi:232h:DSA00001/1", status);
    run.Check(status == FtdiStatus::Ok && SendVerified(*device, kBatch, kTail).latched,
              "after plugging in again the adapter opens by its serial number and loads",
              device->ErrorText());
    device->Close();
    device = OpenAdapter("ftdi://ftdi:232h:DSA99999/1", status);
    run.Check(status == FtdiStatus::NoDevice, "another serial number finds no adapter",
              device->ErrorText());
}

} // namespace

int main(int argc, char** argv) {
    // A gadget or server that ended makes a write to it fail, not end this program.
    std::signal(SIGPIPE, SIG_IGN);
    CheckRun run;
    const bool bench = argc == 4 && std::string(argv[1]) == "--bench";
    if (argc != 3 && !bench) {
        run.Check(false, "ftdi_guest_check is given the gadget and dsactl",
                  "usage: ftdi_guest_check [--bench] FTDI_GADGET DSACTL");
        return run.Finish();
    }
    const std::string dsactl = argv[argc - 1];
    GadgetControl gadget;
    const bool started = gadget.Start(argv[argc - 2]);
    if (bench) {
        if (!started || !gadget.Ok("plug")) {
            std::printf("bench: the emulated FT232H did not come up: %s\n",
                        gadget.Problem().c_str());
            return 1;
        }
        return RunFtdiBench(gadget, dsactl);
    }
    run.Check(started, "the emulated FT232H is set up (configfs, FunctionFS, dummy_hcd)",
              gadget.Problem());
    if (started) {
        const bool plugged = gadget.Ok("plug");
        run.Check(plugged, "the host configures the emulated FT232H", gadget.Problem());
        if (plugged) {
            CheckPortLayer(run, gadget);
            CheckDsactlThroughAdapter(run, gadget, dsactl);
        }
    }
    if (run.Failed() > 0) {
        std::printf("--- the gadget's log, last 30 lines\n%s", GadgetControl::LogTail(30).c_str());
    }
    return run.Finish();
}
