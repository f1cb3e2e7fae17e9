#include "window/DigitalStepAttenuatorForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include "window/CheckValue.h"
#include "core/NumberText.h"
#include "core/StepWeights.h"

void DigitalStepAttenuatorForm::SScommand_Click(int16_t index) {
    QPushButton* button = SScommand.at(static_cast<size_t>(index));
    // The weight follows the model text shown at this moment.
    const double weight = StepWeight(index, ModelCombo->currentText());
    const double shown = ParseNumberText(Label2->text()).value_or(0.0);

    // Selecting a step lowers the display by its weight, deselecting raises it.
    if (button->text() == QLatin1String("On")) {
        button->setText(QStringLiteral("Off"));
        Label2->setText(NumberText(shown + weight));
    } else {
        button->setText(QStringLiteral("On"));
        Label2->setText(NumberText(shown - weight));
    }
    // The new value is on screen before any transfer starts.
    Label2->repaint();

    if (CheckValue(Check2) == 1) {
        Command1_Click();
    }
    QCoreApplication::processEvents();
}
