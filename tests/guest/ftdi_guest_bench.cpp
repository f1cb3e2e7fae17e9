// Figures of the FTDI transport against the emulated FT232H, run by hand
// (DSA_GUEST_BENCH=1, see bench/ftdi_guest_bench.sh): Loads per second and
// bulk OUT transfers per Load through the port layer's SendVerified and
// through dsactl sweep --adapter, and the step start error of a sweep at a
// 1 ms dwell as dsactl's own step records report it, each beside dsactl on
// --simulate. These are dummy_hcd under software emulation, not real USB.

#include "ftdi_guest_bench.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "port/FtdiBatch.h"
#include "port/FtdiDevice.h"
#include "port/FtdiUrl.h"

#include "GadgetBoard.h"
#include "GadgetControl.h"
#include "GuestProcess.h"

namespace {

const char* const kAdapter = "ftdi://ftdi:232h/1";
constexpr int kPortLayerLoads = 300;
const char* const kRepeat = "10"; // passes of the 31 values of a sweep

// A serial Load of one six-bit word as clock and data bytes, then its latch
// pulse on LE1.
std::vector<uint8_t> SerialBytes(unsigned word) {
    std::vector<uint8_t> bytes;
    for (int bit = 5; bit >= 0; --bit) {
        const uint8_t data = ((word >> bit) & 1) != 0 ? 0x02 : 0x00;
        bytes.push_back(data);
        bytes.push_back(static_cast<uint8_t>(data | 0x01));
    }
    bytes.push_back(0x00);
    return bytes;
}

bool BenchPortLayer(GadgetControl& gadget) {
    std::unique_ptr<FtdiDevice> device = MakeFtdiLibDevice();
    if (device->Open(ParseFtdiUrl(kAdapter).address) != FtdiStatus::Ok ||
        device->SetSyncBitBang() != FtdiStatus::Ok) {
        std::printf("bench: the port layer cannot open %s: %s\n", kAdapter,
                    device->ErrorText().c_str());
        return false;
    }
    const long before = gadget.Transfers();
    const auto start = std::chrono::steady_clock::now();
    int latched = 0;
    for (int i = 0; i < kPortLayerLoads; ++i) {
        latched +=
            SendVerified(*device, SerialBytes(static_cast<unsigned>(i) & 63), {0x04, 0x00}).latched;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long transfers = gadget.Transfers() - before;
    device->Close();
    std::printf("bench: port layer SendVerified, %d serial Loads (%d latched): %.0f Loads/s, "
                "%.2f bulk OUT transfers per Load\n",
                kPortLayerLoads, latched, kPortLayerLoads / seconds,
                static_cast<double>(transfers) / kPortLayerLoads);
    return latched == kPortLayerLoads;
}

struct SweepFigures {
    bool ok = false;
    std::size_t steps = 0;
    double loadsPerSecond = 0.0;
    double medianUs = 0.0, p99Us = 0.0, worstUs = 0.0;
    long long lateSteps = 0, mostLateUs = 0, slipUs = 0;
    long transfers = 0;
    long controls = 0; // vendor requests, opening and closing the adapter among them
    std::string problem;
};

SweepFigures Sweep(GadgetControl& gadget, const std::string& dsactl, bool adapter,
                   const char* dwell) {
    std::vector<std::string> arguments = {dsactl};
    if (adapter) {
        arguments.insert(arguments.end(), {"--adapter", kAdapter});
    } else {
        arguments.push_back("--simulate");
    }
    arguments.insert(arguments.end(),
                     {"sweep", "--model", "1", "--from", "0", "--to", "15", "--step", "0.5",
                      "--dwell", dwell, "--repeat", kRepeat, "--json"});
    const long before = gadget.Transfers();
    const long controlsBefore = GadgetControl::LogLines("ctrl");
    GuestProcess sweep(arguments, "dsactl-bench");
    SweepFigures figures;
    if (!sweep.Wait(std::chrono::seconds(120)) || sweep.ExitStatus() != 0) {
        figures.problem = sweep.Describe();
        return figures;
    }
    figures.transfers = gadget.Transfers() - before;
    figures.controls = GadgetControl::LogLines("ctrl") - controlsBefore;
    std::vector<double> errors;
    long long first = 0, last = 0;
    std::string end;
    for (const std::string& line : GuestProcess::Lines(sweep.Output())) {
        const auto actual = JsonNumber(line, "actual_us");
        const auto planned = JsonNumber(line, "planned_us");
        if (actual && planned) {
            if (errors.empty()) {
                first = *actual;
            }
            last = *actual;
            errors.push_back(static_cast<double>(*actual - *planned));
        } else if (line.find("\"end\":") != std::string::npos) {
            end = line;
        }
    }
    if (errors.size() < 2) {
        figures.problem = "too few step records: " + sweep.Output();
        return figures;
    }
    figures.ok = true;
    figures.steps = errors.size();
    figures.loadsPerSecond =
        static_cast<double>(errors.size() - 1) / (static_cast<double>(last - first) / 1e6);
    std::sort(errors.begin(), errors.end());
    figures.medianUs = errors[errors.size() / 2];
    figures.p99Us = errors[std::min(errors.size() - 1, errors.size() * 99 / 100)];
    figures.worstUs = errors.back();
    figures.lateSteps = JsonNumber(end, "late_steps").value_or(-1);
    figures.mostLateUs = JsonNumber(end, "most_late_us").value_or(-1);
    figures.slipUs = JsonNumber(end, "slip_us").value_or(-1);
    return figures;
}

bool BenchDsactl(GadgetControl& gadget, const std::string& dsactl) {
    bool ok = true;
    for (const bool adapter : {true, false}) {
        const char* what = adapter ? "--adapter" : "--simulate";
        // Back to back: a dwell far below a Load's time makes every step
        // late, so the steps follow each other as fast as the Loads go.
        const SweepFigures rate = Sweep(gadget, dsactl, adapter, "1us");
        if (rate.ok) {
            std::printf("bench: dsactl sweep %s, back to back, %zu steps: %.0f Loads/s", what,
                        rate.steps, rate.loadsPerSecond);
            if (adapter) {
                std::printf(", %.2f bulk OUT transfers per Load, %ld vendor requests in all",
                            static_cast<double>(rate.transfers) / static_cast<double>(rate.steps),
                            rate.controls);
            }
            std::printf("\n");
        } else {
            std::printf("bench: dsactl sweep %s, back to back, failed: %s\n", what,
                        rate.problem.c_str());
        }
        const SweepFigures timing = Sweep(gadget, dsactl, adapter, "1ms");
        if (timing.ok) {
            std::printf(
                "bench: dsactl sweep %s, 1 ms dwell, %zu steps: start error median %.0f us, "
                "99th pct %.0f us, worst %.0f us; %lld late steps, at most %lld us, "
                "slipped %lld us\n",
                what, timing.steps, timing.medianUs, timing.p99Us, timing.worstUs, timing.lateSteps,
                timing.mostLateUs, timing.slipUs);
        } else {
            std::printf("bench: dsactl sweep %s, 1 ms dwell, failed: %s\n", what,
                        timing.problem.c_str());
        }
        ok = ok && rate.ok && timing.ok;
    }
    return ok;
}

} // namespace

int RunFtdiBench(GadgetControl& gadget, const std::string& dsactl) {
    const bool portLayer = BenchPortLayer(gadget);
    const bool viaDsactl = BenchDsactl(gadget, dsactl);
    std::fflush(stdout);
    return portLayer && viaDsactl ? 0 : 1;
}
