#pragma once
// The real main window on a simulated printer port with a board behind it, in a
// working folder of its own (the port address file lives there). Tests drive the
// window as a user would and look at the bytes that reached the port.

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "common/UserNotifier.h"
#include "core/AddressFile.h"
#include "core/Board.h"
#include "port/SimulatedBoard.h"
#include "window/DigitalStepAttenuatorForm.h"

// Remembers what the user would have heard and seen.
class RecordingNotifier : public UserNotifier {
public:
    void Beep() override { ++beeps; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    int beeps = 0;
    std::vector<std::string> messages;
};

// Switches into a fresh temporary folder for its lifetime.
class ScopedWorkingFolder {
public:
    ScopedWorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
    ~ScopedWorkingFolder() { QDir::setCurrent(previous_); }
    ScopedWorkingFolder(const ScopedWorkingFolder&) = delete;
    ScopedWorkingFolder& operator=(const ScopedWorkingFolder&) = delete;
    QString Path() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
    QString previous_;
};

class BoardHarness {
public:
    // The board's data register; its port address file holds "378".
    static constexpr int32_t kData = 0x378;
    static constexpr int32_t kControl = 0x37A;

    BoardHarness() : module(port, notifier), form(module, &notifier) {}

    // Saves `address` as the port address file, as an earlier run would have.
    void SaveAddress(const QString& address) { WriteAddressFile(address); }

    // Start-up as the program does it: load, show, first activation. The port's
    // log is cleared afterwards so tests see only what they caused.
    void Start(bool clearLog = true) {
        QVERIFY(form.Form_Load());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(form.ActivationCount() >= 1);
        if (clearLog) {
            port.ClearLog();
        }
    }

    // Chooses list entry `position` as a click in the drop-down list does.
    void ChooseModel(int position) {
        form.ModelCombo->setCurrentIndex(position);
        emit form.ModelCombo->activated(position);
    }

    // Types into the combo box's text field, key by key, after clearing it.
    void TypeModelText(const QString& text) {
        QLineEdit* edit = form.ModelCombo->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void ClickStep(int member) { Click(form.SScommand[static_cast<size_t>(member)]); }

    std::vector<int> DataWrites() const { return port.WritesTo(kData); }

    ScopedWorkingFolder folder;
    SimulatedBoard port{kData};
    RecordingNotifier notifier;
    Board module;
    DigitalStepAttenuatorForm form;
};
