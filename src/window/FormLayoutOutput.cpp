// Load and Auto Load, the hidden interface pair, the port address field and the
// About button.

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "window/DigitalStepAttenuatorForm.h"
#include "window/FormControls.h"
#include "window/FormLayoutPanels.h"
#include "window/Twips.h"

using namespace FormControls;

namespace FormLayout {

void BuildOutputControls(DigitalStepAttenuatorForm& form) {
    form.Command1 = AddButton(&form, QStringLiteral("Command1"), QStringLiteral("Load"),
                              Twips::Rect(6720, 3765, 945, 375));
    form.Command1->setToolTip(QStringLiteral("Load the Attenuation data to output port"));

    form.Check2 = AddCheckBox(&form, QStringLiteral("Check2"), QStringLiteral("Auto Load"),
                              Twips::Rect(6720, 3240, 1170, 390));
    form.Check2->setToolTip(
        QStringLiteral("Check to automatically load the Attenuation data to output port"));
    form.Check2->hide();

    // The interface kind of the chosen model; never shown.
    form.Check1[0] = AddCheckBox(&form, MemberName("Check1", 0), QStringLiteral("Parallel"),
                                 Twips::Rect(1680, 4560, 930, 300));
    form.Check1[1] = AddCheckBox(&form, MemberName("Check1", 1), QStringLiteral("Serial"),
                                 Twips::Rect(840, 4560, 795, 300));
    form.Check1[0]->hide();
    form.Check1[1]->hide();
}

void BuildPortAddress(DigitalStepAttenuatorForm& form) {
    form.Label7 = AddLabel(&form, QStringLiteral("Label7"), QStringLiteral("Port Address: (Hex)"),
                           Twips::Rect(8280, 3480, 1455, 375));

    auto* address = new QLineEdit(QStringLiteral("0"), &form);
    address->setObjectName(QStringLiteral("AddText"));
    address->setToolTip(QStringLiteral("I/O Port address "));
    address->setGeometry(Twips::Rect(8280, 3840, 855, 285));
    form.AddText = address;
}

void BuildAboutButton(DigitalStepAttenuatorForm& form) {
    form.Command3 = AddButton(&form, QStringLiteral("Command3"), QStringLiteral("About"),
                              Twips::Rect(8520, 8040, 615, 255));
    form.Command3->hide();
}

} // namespace FormLayout
