#pragma once
// What the port layer would show the user, kept for the instrument to turn into
// error-queue entries: a server has nobody to show a message box to, and no
// speaker for the beep.

#include <string>
#include <utility>
#include <vector>

#include "port/UserNotifier.h"

class CollectingNotifier : public UserNotifier {
public:
    void Beep() override {}
    void ShowMessage(const std::string& text) override { messages_.push_back(text); }

    // The messages since the last call, oldest first.
    std::vector<std::string> Take() { return std::exchange(messages_, {}); }

private:
    std::vector<std::string> messages_;
};
