// Timing the core's Load over many words.
#include "LoadRate.h"

#include <chrono>

#include "core/ControlWord.h"
#include "core/Load.h"
#include "port/PortAccess.h"
#include "port/SimulatedBoard.h"

namespace {

class SilentNotifier : public UserNotifier {
public:
    void Beep() override {}
    void ShowMessage(const std::string&) override {}
};

} // namespace

LoadRate MeasureLoads(PortIo& io, SimulatedPort* simulated, int32_t port,
                      InterfaceClass interfaceClass, long loads) {
    SilentNotifier notifier;
    PortAccess access(io, notifier);
    LeMemoryTable memory{};
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < loads; ++i) {
        const auto word = static_cast<ControlWord>(i % 64);
        Load(access, port, interfaceClass, StepsOfWord(word), 1, 0.0f, memory);
        if (simulated != nullptr && i % 256 == 0) {
            simulated->ClearLog();
        }
    }
    LoadRate rate;
    rate.loads = loads;
    rate.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rate;
}
