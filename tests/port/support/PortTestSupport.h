#pragma once
// Shared pieces of the port tests: a notifier that records what the user would
// have seen and heard, and short ways to write step states and read the log.

#include <QList>
#include <QString>
#include <QStringList>

#include <string>

#include "port/SimulatedBoard.h"
#include "port/Transfers.h"
#include "port/UserNotifier.h"

class RecordingNotifier : public UserNotifier {
public:
    void Beep() override { ++beeps; }
    void ShowMessage(const std::string& text) override { messages << QString::fromStdString(text); }

    int beeps = 0;
    QStringList messages;
};

// Step states with the buttons listed in `on` switched on.
inline StepStates Steps(const QList<int>& on) {
    StepStates steps{};
    for (int i : on) {
        steps.at(static_cast<std::size_t>(i)) = true;
    }
    return steps;
}

// Every value handed to the port for `port`, as a list QCOMPARE can print.
inline QList<int> Writes(const SimulatedPort& port, int32_t address) {
    const std::vector<int> values = port.WritesTo(address);
    return QList<int>(values.begin(), values.end());
}

// `list` repeated `times` times, for the expected byte sequences.
inline QList<int> Repeat(const QList<int>& list, int times) {
    QList<int> result;
    for (int i = 0; i < times; ++i) {
        result << list;
    }
    return result;
}
