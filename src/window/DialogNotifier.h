#pragma once
// Reaches the user the way the program always does: the system beep, and modal
// message boxes with an OK button and the program's title.

#include <QPointer>
#include <QWidget>

#include "common/UserNotifier.h"

class DialogNotifier : public UserNotifier {
public:
    // Message boxes are centred on `parent` once it is set.
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Beep() override;
    void ShowMessage(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};
