// dsa_bench: serial and parallel Loads per second on the simulated board (and
// on each usable ppdev port), and the start-time error of a timed sweep at 1 ms
// and 10 ms dwell. Run by hand; the figures go in the README.
//   dsa_bench [--steps N] [--loads N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "LoadRate.h"
#include "SweepTiming.h"
#include "core/RealTime.h"
#include "port/PpdevPort.h"
#include "port/SimulatedBoard.h"

namespace {

void PrintRate(const char* where, const char* kind, const LoadRate& rate) {
    std::printf("%-28s %-9s %10.0f Loads/s  (%ld Loads in %.3f s)\n", where, kind, rate.PerSecond(),
                rate.loads, rate.seconds);
}

void BenchPpdevPorts(long loads) {
    for (const ParportInfo& info : DiscoverParports("/proc/sys/dev/parport")) {
        PpdevPort port;
        uint8_t value = 0;
        const std::string where = "/dev/parport" + std::to_string(info.number);
        if (port.Inp32(info.base, value) != PortStatus::Ok) {
            std::printf("%-28s not usable: %s\n", where.c_str(),
                        port.UnavailableReason(info.base).c_str());
            continue;
        }
        // A real port is far slower; a tenth of the simulated count is plenty.
        const long count = loads / 10 > 0 ? loads / 10 : 1;
        PrintRate(where.c_str(), "serial",
                  MeasureLoads(port, nullptr, info.base, InterfaceClass::Serial, count));
        PrintRate(where.c_str(), "parallel",
                  MeasureLoads(port, nullptr, info.base, InterfaceClass::Parallel, count));
    }
}

} // namespace

int main(int argc, char* argv[]) {
    std::size_t steps = 2000;
    long loads = 200000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--steps") == 0) {
            steps = std::strtoul(argv[i + 1], nullptr, 10);
        } else if (std::strcmp(argv[i], "--loads") == 0) {
            loads = std::strtol(argv[i + 1], nullptr, 10);
        }
    }
    if (steps < 2 || loads < 1) {
        std::fprintf(stderr, "usage: dsa_bench [--steps N (2 or more)] [--loads N]\n");
        return 64;
    }

    std::printf("Loads per second\n");
    SimulatedBoard serialBoard(0x378);
    PrintRate("simulated board", "serial",
              MeasureLoads(serialBoard, &serialBoard, 0x378, InterfaceClass::Serial, loads));
    SimulatedBoard parallelBoard(0x378);
    PrintRate("simulated board", "parallel",
              MeasureLoads(parallelBoard, &parallelBoard, 0x378, InterfaceClass::Parallel, loads));
    BenchPpdevPorts(loads);

    std::printf("\nSweep start-time error (actual start - deadline), %zu steps each\n", steps);
    std::printf("%-6s %-5s %-9s %10s %12s %10s %6s %10s %9s\n", "dwell", "load", "priority",
                "median us", "99th pct us", "worst us", "late", "slip ms", "drift us");
    // Normal priority first: once real-time, the process stays so.
    for (const bool realtime : {false, true}) {
        if (realtime) {
            const RealTimeResult entered = EnterRealTime();
            if (!entered.scheduling) {
                std::printf("(--realtime refused here: allow it with 'ulimit -r %d')\n",
                            kRealTimePriority);
                break;
            }
        }
        for (const bool busy : {false, true}) {
            for (const auto dwell : {std::chrono::milliseconds(1), std::chrono::milliseconds(10)}) {
                std::optional<BusyMachine> load;
                if (busy) {
                    load.emplace();
                }
                const StartErrors errors = MeasureSweep(dwell, steps);
                std::printf("%-6s %-5s %-9s %10.1f %12.1f %10.1f %6zu %10.2f %9.1f\n",
                            (std::to_string(dwell.count()) + " ms").c_str(), busy ? "busy" : "idle",
                            realtime ? "realtime" : "normal", errors.medianUs, errors.p99Us,
                            errors.worstUs, errors.lateSteps, errors.slipUs / 1000.0,
                            errors.lastStepUs);
            }
        }
    }
    return 0;
}
