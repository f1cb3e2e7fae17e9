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

namespace {

// The interface a selection drives. A chosen entry gives it by its list
// position. With no entry chosen (a typed or edited text), a key that is
// exactly a catalogue key takes that entry's interface, so that a parallel
// board is never driven with the serial protocol; any other key keeps the
// rule of the list position, which gives serial.
InterfaceClass SelectionInterface(int listPosition, const QString& key) {
    if (listPosition == -1 && FindKeyRow(key)) {
        if (const ModelProfile* profile = FindModel(key)) {
            return profile->interfaceClass;
        }
    }
    return InterfaceClassOf(listPosition);
}

} // namespace

void DigitalStepAttenuatorForm::ModelCombo_Click() {
    ModelCombo_Change();
}

void DigitalStepAttenuatorForm::ModelCombo_Change() {
    const QString text = ModelCombo->currentText();
    // A text without ";" names no model at all (the prompt, or a half-typed
    // name): the window stays as it is and nothing is sent.
    const std::optional<QString> key = ModelKey(text);
    if (!key) {
        return;
    }

    WriteWeightLabels(WeightSet::Standard);
    Check2->show();
    ApplyInterface(SelectionInterface(ModelComboListIndex(), *key));
    Label5->show();
    Label6->show();
    if (const KeyRow* row = FindKeyRow(*key)) {
        ApplyKeyRow(*row);
    }
    Label2->setText(QStringLiteral("0"));
    for (QPushButton* step : SScommand) {
        step->setText(QStringLiteral("Off"));
    }
    module_.WritePortVerified(PortAddress, 0);
    QCoreApplication::processEvents();
    ApplySeventhStep(HasSeventhStep(ModelCombo->currentText()));
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

void DigitalStepAttenuatorForm::ApplyKeyRow(const KeyRow& row) {
    SetCaption(Label5, row.line1);
    SetCaption(Label6, row.line2);
    if (row.weights == WeightSet::Doubled) {
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
