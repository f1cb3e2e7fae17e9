#pragma once
// What the board should see for a control word, built from the pin table
// rather than from the transfer code, and a notifier that lets a test act at
// the moment a message box would be open.

#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/UserNotifier.h"

namespace PanelExpect {

// Bit mask of step members (member i in bit i).
template <typename Members> int StepsOf(const Members& members) {
    int mask = 0;
    for (int member : members) {
        mask |= 1 << member;
    }
    return mask;
}

inline int Steps(std::initializer_list<int> members) {
    return StepsOf(members);
}

// The 20 data-register writes of a serial load of `steps` through LE line `le`:
// steps 5 down to 0 as d, d + clock, d (d = 2 for an on step), then the LE line
// (D2 for LE1 up to D7 for LE6) with the last data bit held, then all lines low.
inline std::vector<int> SerialWrites(int steps, int le) {
    std::vector<int> writes;
    int data = 0;
    for (int member = 5; member >= 0; --member) {
        data = (steps & (1 << member)) != 0 ? 2 : 0;
        writes.insert(writes.end(), {data, data + 1, data});
    }
    writes.push_back(data + (4 << (le - 1)));
    writes.push_back(0);
    return writes;
}

// The six serial bits as the board's device latches them.
inline int SerialDeviceValue(int steps) {
    return steps & 0x3F;
}

// The parallel word of `steps`: members 0 to 5 on D0 to D5, member 6 on D7.
inline int ParallelWord(int steps) {
    return (steps & 0x3F) | ((steps & (1 << 6)) != 0 ? 128 : 0);
}

// A parallel load: the word, the word with the latch line D6 high, the word again.
inline std::vector<int> ParallelWrites(int steps) {
    const int word = ParallelWord(steps);
    return {word, word + 64, word};
}

inline std::vector<int> Concat(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> all;
    for (const std::vector<int>& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

} // namespace PanelExpect

// Records messages and beeps like the recording notifier, and runs `onMessage`
// while a message is "on screen", as a user acting in a modal box's event loop.
class CallbackNotifier : public UserNotifier {
public:
    void Beep() override { ++beeps; }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (onMessage) {
            onMessage(text);
        }
    }

    int beeps = 0;
    std::vector<std::string> messages;
    std::function<void(const std::string&)> onMessage;
};

// Port writes as text ("0,1,0,2"), so that a failed comparison shows the bytes.
inline QString WritesText(const std::vector<int>& writes) {
    QStringList parts;
    for (int value : writes) {
        parts << QString::number(value);
    }
    return parts.join(QLatin1Char(','));
}
