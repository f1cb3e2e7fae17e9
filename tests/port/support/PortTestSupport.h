#pragma once
// Shared pieces of the port tests: a notifier that records what the user would
// have seen and heard, and short ways to write step states and read the log.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <string>

#include "common/UserNotifier.h"
#include "port/PortAccess.h"
#include "port/SimulatedBoard.h"
#include "port/Transfers.h"

class RecordingNotifier : public UserNotifier {
public:
    void Beep() override { ++beeps; }
    void ShowMessage(const std::string& text) override { messages << QString::fromStdString(text); }

    int beeps = 0;
    QStringList messages;
};

// The control word with the steps listed in `on` switched on.
inline uint8_t Steps(const QList<int>& on) {
    uint8_t word = 0;
    for (int i : on) {
        word = static_cast<uint8_t>(word | 1u << i);
    }
    return word;
}

// What the window remembers per LE line (entry 0 unused): the value it showed
// when that line's device latched.
using LeMemoryTable = std::array<float, 7>;

// A serial transfer as the window runs it: the value is remembered for the LE
// line only when the transfer says the device latched.
inline bool SendSerialWord(PortAccess& module, int32_t port, uint8_t word, int16_t le, float shown,
                           LeMemoryTable& memory) {
    const bool latched = SendSerialWord(module, port, word, le);
    if (latched) {
        memory.at(static_cast<std::size_t>(le)) = shown;
    }
    return latched;
}

// Every value handed to the port for `port`, as a list QCOMPARE can print.
inline QList<int> Writes(const SimulatedBoard& port, int32_t address) {
    const std::vector<int> values = port.WritesTo(address);
    return QList<int>(values.begin(), values.end());
}

// A simulated port whose device goes away after `writesLeft` more writes have
// reached it (an adapter pulled out mid-transfer): from then on every access
// finds the port unusable.
class VanishingPort : public PortIo {
public:
    VanishingPort(SimulatedBoard& inner, int writesLeft) : inner_(inner), writesLeft_(writesLeft) {}

    PortStatus CheckBase(int32_t base) override {
        return writesLeft_ > 0 ? inner_.CheckBase(base) : PortStatus::Ok;
    }
    PortStatus Out32(int32_t port, uint8_t value) override {
        if (writesLeft_ <= 0) {
            return PortStatus::Unavailable;
        }
        --writesLeft_;
        return inner_.Out32(port, value);
    }
    PortStatus Inp32(int32_t port, uint8_t& value) override {
        return writesLeft_ > 0 || lastReadBack_-- > 0 ? inner_.Inp32(port, value)
                                                      : PortStatus::Unavailable;
    }
    std::string UnavailableReason(int32_t port) const override {
        return "Port " + std::to_string(port) + " is gone.";
    }

private:
    SimulatedBoard& inner_;
    int writesLeft_;
    int lastReadBack_ = 1; // the read-back of the last write still works
};

// `list` repeated `times` times, for the expected byte sequences.
inline QList<int> Repeat(const QList<int>& list, int times) {
    QList<int> result;
    for (int i = 0; i < times; ++i) {
        result << list;
    }
    return result;
}
