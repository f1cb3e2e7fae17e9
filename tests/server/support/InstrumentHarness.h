#pragma once
// An instrument on a simulated board at 378, with one client, for the tests of
// the command set: lines in, reply lines and the client's error queue out.

#include <QByteArray>
#include <memory>
#include <optional>

#include "core/Board.h"
#include "core/CollectingNotifier.h"
#include "port/SimulatedBoard.h"
#include "server/Instrument.h"

constexpr int32_t kBoardPort = 0x378;

struct InstrumentHarness {
    SimulatedBoard board{kBoardPort};
    CollectingNotifier notifier;
    Board access{board, notifier};
    Instrument instrument;
    std::shared_ptr<scpi::ClientStatus> client = std::make_shared<scpi::ClientStatus>();

    explicit InstrumentHarness(bool nearest = false, bool simulated = true)
        : instrument(access, notifier, kBoardPort, Options(nearest, simulated)) {}

    static Instrument::Options Options(bool nearest, bool simulated) {
        Instrument::Options options;
        options.nearest = nearest;
        options.simulated = simulated;
        options.version = "1.0";
        return options;
    }

    std::optional<QByteArray> Run(const QByteArray& line) {
        return instrument.Execute(client, line);
    }
    // The reply to a line that must get one.
    QByteArray Ask(const QByteArray& line) { return Run(line).value_or("<no reply>"); }
    // The code of the oldest error, taken from the queue.
    int NextErrorCode() { return Ask("SYST:ERR?").split(',').first().toInt(); }
    const BoardDecoder::Latched& Serial(int le) const { return board.Decoder().SerialDevice(le); }
};
