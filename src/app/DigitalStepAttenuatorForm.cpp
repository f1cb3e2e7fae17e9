#include "app/DigitalStepAttenuatorForm.h"

#include <QEvent>

#include "output/Module1.h"

DigitalStepAttenuatorForm::DigitalStepAttenuatorForm(Module1& module, QWidget* parent)
    : QWidget(parent), module_(module) {
    BuildDesignedLayout();
    ConnectHandlers();
}

DigitalStepAttenuatorForm::~DigitalStepAttenuatorForm() = default;

bool DigitalStepAttenuatorForm::Form_Load() { return true; }

void DigitalStepAttenuatorForm::ConnectHandlers() {}

void DigitalStepAttenuatorForm::Command2_Click() {}

void DigitalStepAttenuatorForm::Command3_Click() {}

bool DigitalStepAttenuatorForm::event(QEvent* e) { return QWidget::event(e); }

bool DigitalStepAttenuatorForm::eventFilter(QObject* watched, QEvent* e) {
    return QWidget::eventFilter(watched, e);
}
