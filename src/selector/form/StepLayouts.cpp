#include "app/DigitalStepAttenuatorForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "app/LineControl.h"
#include "catalogue/Catalogue.h"

// The layouts show and hide the outer steps with their weight labels and
// connector lines; they change nothing else, so hidden steps keep their state.

void DigitalStepAttenuatorForm::AllButton() {
    SScommand[0]->show();
    SSLabel[0]->show();
    if (HasSeventhStep(ModelCombo->currentText())) {
        SScommand[6]->show();
    }
    SScommand[5]->show();
    SSLabel[5]->show();
    Line2[1]->show();
    Line2[0]->show();
    Line1[0]->show();
    Line1[5]->show();
    QCoreApplication::processEvents();
}

void DigitalStepAttenuatorForm::No16Button() {
    SScommand[5]->hide();
    SSLabel[5]->hide();
    SScommand[0]->show();
    SSLabel[0]->show();
    if (HasSeventhStep(ModelCombo->currentText())) {
        SScommand[6]->show();
    }
    Line2[1]->hide();
    Line2[0]->show();
    Line1[0]->show();
    Line1[5]->hide();
    QCoreApplication::processEvents();
}

void DigitalStepAttenuatorForm::No05Button() {
    SScommand[0]->hide();
    SScommand[6]->hide();
    SScommand[5]->show();
    SSLabel[5]->show();
    SSLabel[0]->hide();
    Line2[1]->show();
    Line2[0]->hide();
    Line1[0]->hide();
    Line1[5]->show();
    QCoreApplication::processEvents();
}
