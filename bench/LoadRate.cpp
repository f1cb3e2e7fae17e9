// Timing the core's Load over many words.
#include "LoadRate.h"

#include <chrono>

#include "core/Board.h"
#include "core/ControlWord.h"
#include "port/SimulatedBoard.h"

namespace {

class SilentNotifier : public UserNotifier {
public:
    void Beep() override {}
    void ShowMessage(const std::string&) override {}
};

} // namespace

LoadRate MeasureLoads(PortIo& io, SimulatedBoard* simulated, int32_t port,
                      InterfaceClass interfaceClass, long loads) {
    SilentNotifier notifier;
    Board board(io, notifier);
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < loads; ++i) {
        const auto word = static_cast<ControlWord>(i % 64);
        board.Load(port, interfaceClass, word, 1);
        if (simulated != nullptr && i % 256 == 0) {
            simulated->ClearLog();
        }
    }
    LoadRate rate;
    rate.loads = loads;
    rate.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return rate;
}
