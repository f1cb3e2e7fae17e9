#include "window/DigitalStepAttenuatorForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "core/ModelProfile.h"
#include "window/LineControl.h"

// The layouts show and hide the outer steps with their weight labels and
// connector lines; they change nothing else, so hidden steps keep their state.
// Which steps a layout has is the core's rule, shared with every front end.

void DigitalStepAttenuatorForm::AllButton() {
    ShowLayout(StepLayout::AllButton);
}

void DigitalStepAttenuatorForm::No16Button() {
    ShowLayout(StepLayout::No16Button);
}

void DigitalStepAttenuatorForm::No05Button() {
    ShowLayout(StepLayout::No05Button);
}

void DigitalStepAttenuatorForm::ShowLayout(StepLayout layout) {
    const std::array<bool, kStepCount> shown =
        StepsShown(layout, ProfileOfText(ModelCombo->currentText()).seventhStep);
    // The 0.5 dB step, its label and the lines that join it to its neighbours.
    SScommand[0]->setVisible(shown[0]);
    SSLabel[0]->setVisible(shown[0]);
    Line2[0]->setVisible(shown[0]);
    Line1[0]->setVisible(shown[0]);
    // The 16 dB step likewise.
    SScommand[5]->setVisible(shown[5]);
    SSLabel[5]->setVisible(shown[5]);
    Line2[1]->setVisible(shown[5]);
    Line1[5]->setVisible(shown[5]);
    // The 0.25 dB step is shown for a model that has it; only a layout without
    // the 0.5 dB step hides it, the others leave it to the model selection.
    if (shown[6]) {
        SScommand[6]->show();
    } else if (!shown[0]) {
        SScommand[6]->hide();
    }
    QCoreApplication::processEvents();
}
