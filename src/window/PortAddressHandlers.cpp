#include "window/DigitalStepAttenuatorForm.h"

#include <QLineEdit>
#include <QRadioButton>

#include "core/AddressFile.h"
#include "core/Board.h"
#include "core/HexAddress.h"

void DigitalStepAttenuatorForm::AddText_Change() {
    // Every edit that leaves a valid hexadecimal number takes effect at once;
    // anything else leaves the address in use as it was.
    if (const std::optional<int32_t> address = ParseHexAddress(AddText->text())) {
        PortAddress = *address;
    }
}

void DigitalStepAttenuatorForm::AddText_LostFocus() {
    AddText_Change();
    // The box's text is kept as typed, valid or not; a file that cannot be
    // written leaves the address in use for this run only.
    WriteAddressFile(AddText->text().trimmed());
}

void DigitalStepAttenuatorForm::Form_Activate() {
    // The LE line follows the option the window shows (line 1 at start), so
    // that a Load after coming back from the help window latches the device
    // the user sees selected.
    LeIndex = SelectedLeLine();
    for (size_t line = 1; line < LeMemory.size(); ++line) {
        LeMemory[line] = 0.0f;
    }
    LoadSavedPortAddress();
    module_.WritePortVerified(PortAddress, PortRegister::Control, 0);
    module_.WritePortVerified(PortAddress, 0);
}

int16_t DigitalStepAttenuatorForm::SelectedLeLine() const {
    for (size_t i = 0; i < LeOption.size(); ++i) {
        if (LeOption[i]->isChecked()) {
            return static_cast<int16_t>(i + 1);
        }
    }
    return 1;
}

void DigitalStepAttenuatorForm::LoadSavedPortAddress() {
    const AddressFileContent saved = ReadAddressFile();
    switch (saved.kind) {
    case AddressFileContent::Kind::Missing:
    case AddressFileContent::Kind::TooLong:
        return;
    case AddressFileContent::Kind::Empty:
        // No port is used from now on, and the box says so: it is emptied
        // rather than left showing an address that is no longer in use.
        PortAddress = 0;
        AddText->clear();
        return;
    case AddressFileContent::Kind::Field:
        // Setting the box runs its change handler; a text that is no number
        // is shown as it is and leaves the address unchanged.
        AddText->setText(saved.field);
        if (const std::optional<int32_t> address = ParseHexAddress(AddText->text())) {
            PortAddress = *address;
        }
        return;
    }
}
