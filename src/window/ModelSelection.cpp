#include "window/DigitalStepAttenuatorForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "core/Board.h"
#include "core/Catalogue.h"
#include "core/ModelProfile.h"
#include "core/StepWeights.h"
#include "window/Caption.h"
#include "window/CheckValue.h"
#include "window/LineControl.h"
#include "window/Twips.h"

void DigitalStepAttenuatorForm::ModelCombo_Click() {
    ModelCombo_Change();
}

void DigitalStepAttenuatorForm::ModelCombo_Change() {
    const QString text = ModelCombo->currentText();
    // A text without ";" names no model at all (the prompt, or a half-typed
    // name): the window stays as it is and nothing is sent.
    if (!ModelKey(text)) {
        return;
    }

    WriteWeightLabels(WeightSet::Standard);
    Check2->show();
    // A chosen entry drives its own interface. With no entry chosen (a typed or
    // edited text), a key spelt exactly as in the catalogue drives that model's,
    // so that a parallel board is never driven with the serial protocol; any
    // other text drives serial.
    ApplyInterface(InterfaceForComboBox(ModelComboListIndex(), text));
    Label5->show();
    Label6->show();
    // The description, weight labels and layout follow the key the text spells,
    // whatever entry the combo box reports; an unknown key leaves them as they are.
    if (const ModelProfile* row = ProfileForComboText(text)) {
        ApplyKeyRow(*row);
    }
    Label2->setText(QStringLiteral("0"));
    for (QPushButton* step : SScommand) {
        step->setText(QStringLiteral("Off"));
    }
    module_.WritePortVerified(PortAddress, 0);
    QCoreApplication::processEvents();
    // Events have run: the text may have changed meanwhile, and the 0.25 dB
    // step follows the text as it is now.
    ApplySeventhStep(ProfileOfText(ModelCombo->currentText()).seventhStep);
}

void DigitalStepAttenuatorForm::WriteWeightLabels(WeightSet weights) {
    const QStringList texts = WeightLabelTexts(weights);
    for (int i = 0; i < texts.size(); ++i) {
        SSLabel[static_cast<size_t>(i)]->setText(texts[i]);
    }
}

void DigitalStepAttenuatorForm::ApplyInterface(InterfaceClass interfaceClass) {
    // Setting the interface boxes runs their handler, which keeps them opposite.
    const QPoint panelPosition = Twips::Point(100, 4500);
    if (interfaceClass == InterfaceClass::Serial) {
        SetCheckValue(Check1[0], 0);
        SetCheckValue(Check1[1], 1);
        Check2->setText(QStringLiteral("Auto Load"));
        Check3->hide();
        SerialFrame->show();
        LeFrame->show();
        leLabel8->show();
        SerialFrame->move(panelPosition);
        ParallelFrame->hide();
        Command1->show();
    } else {
        SetCheckValue(Check1[0], 1);
        SetCheckValue(Check1[1], 0);
        Check2->setText(QStringLiteral("Auto Load"));
        Check3->hide();
        Command1->show();
        SerialFrame->hide();
        ParallelFrame->show();
        ParallelFrame->move(panelPosition);
        LeFrame->hide();
        leLabel8->hide();
    }
}

void DigitalStepAttenuatorForm::ApplyKeyRow(const ModelProfile& row) {
    SetCaption(Label5, row.line1);
    SetCaption(Label6, row.line2);
    if (row.weightSet == WeightSet::Doubled) {
        WriteWeightLabels(WeightSet::Doubled);
    }
    switch (row.layout) {
    case StepLayout::AllButton:
        AllButton();
        break;
    case StepLayout::No16Button:
        No16Button();
        break;
    case StepLayout::No05Button:
        No05Button();
        break;
    }
}

void DigitalStepAttenuatorForm::ApplySeventhStep(bool shown) {
    SScommand[6]->setVisible(shown);
    SSLabel[6]->setVisible(shown);
    Line1[6]->setVisible(shown);
    Line2[2]->setVisible(shown);
}
