#pragma once
// How the port layer reaches the user without knowing about windows: the main
// window supplies the beep and the modal message box.

#include <string>

class UserNotifier {
public:
    virtual ~UserNotifier() = default;
    virtual void Beep() = 0;
    // A modal message box with an OK button and the program's title.
    virtual void ShowMessage(const std::string& text) = 0;
};
