#pragma once
// What the port layer would show the user, kept for a front end without
// windows to report in its own way: the command line in its one error line, the
// instrument server as error-queue entries.

#include <string>
#include <utility>
#include <vector>

#include "common/UserNotifier.h"

class CollectingNotifier : public UserNotifier {
public:
    void Beep() override { ++beeps_; }
    void ShowMessage(const std::string& text) override { messages_.push_back(text); }

    // The messages kept so far, oldest first.
    const std::vector<std::string>& Messages() const { return messages_; }
    // The messages since the last call, oldest first.
    std::vector<std::string> Take() { return std::exchange(messages_, {}); }

    int Beeps() const { return beeps_; }

private:
    std::vector<std::string> messages_;
    int beeps_ = 0;
};
