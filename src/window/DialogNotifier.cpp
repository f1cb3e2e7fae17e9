#include "window/DialogNotifier.h"

#include <QApplication>
#include <QMessageBox>

namespace {
// The title of the program's message boxes. It is not set as the application's
// display name because some platforms would then append it to every window title.
const char* const kMessageTitle = "Digital Step Attenuator";
} // namespace

void DialogNotifier::Beep() {
    QApplication::beep();
}

void DialogNotifier::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageTitle),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}
