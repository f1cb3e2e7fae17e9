#include "window/DigitalStepAttenuatorForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <cstdlib>

#include "common/UserNotifier.h"
#include "core/Board.h"
#include "core/ControlWord.h"
#include "core/NumberText.h"
#include "window/Caption.h"
#include "window/CheckValue.h"

StepStates DigitalStepAttenuatorForm::CurrentStepStates() const {
    StepStates steps{};
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i] = CaptionCountsAsOn(SScommand[i]->text());
    }
    return steps;
}

void DigitalStepAttenuatorForm::Command1_Click() {
    if (ModelCombo->currentText().trimmed().isEmpty()) {
        notifier_.ShowMessage(" Please Select Model");
        return;
    }
    // A message box shown during a transfer runs its own event loop; a Load
    // that arrives then waits for the transfer under way and runs after it, so
    // two transfers never mix their bytes on the port.
    if (transferRunning_) {
        loadPending_ = true;
        return;
    }
    transferRunning_ = true;
    do {
        loadPending_ = false;
        RunTransfer();
    } while (loadPending_);
    transferRunning_ = false;
}

void DigitalStepAttenuatorForm::RunTransfer() {
    const InterfaceClass interfaceClass =
        CheckValue(Check1[0]) == 1 ? InterfaceClass::Parallel : InterfaceClass::Serial;
    // The value is read the way the display wrote it, in the user's own number format.
    const double shown = ParseNumberText(Label2->text()).value_or(0.0);
    const LoadOutcome outcome =
        module_.Load(PortAddress, interfaceClass, WordOfSteps(CurrentStepStates()), LeIndex);
    // A serial device's line remembers the value shown when the device latched.
    if (interfaceClass == InterfaceClass::Serial && outcome.latched) {
        LeMemory[static_cast<size_t>(LeIndex)] = static_cast<float>(shown);
    }
}

void DigitalStepAttenuatorForm::Check1_Click(int16_t index) {
    // The two interface boxes always hold opposite values; setting the other
    // box runs this handler once more, which then changes nothing.
    const size_t changed = static_cast<size_t>(index);
    const auto value = static_cast<int16_t>(std::abs(CheckValue(Check1[changed]) - 1));
    SetCheckValue(Check1[1 - changed], value);
}

void DigitalStepAttenuatorForm::Check2_Click() {
    if (Check2->text() == QLatin1String("Auto Load")) {
        Command1->setEnabled(CheckValue(Check2) != 1);
    }
    QCoreApplication::processEvents();
}

void DigitalStepAttenuatorForm::LeOption_Click(int16_t index) {
    const int line = index + 1;
    LeIndex = static_cast<int16_t>(line);
    Label2->setText(NumberTextSingle(LeMemory[static_cast<size_t>(line)]));
    SetCaption(leLabel8, QStringLiteral("LE select:") + QString::number(line));
}
