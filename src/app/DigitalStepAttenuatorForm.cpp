#include "app/DigitalStepAttenuatorForm.h"

#include <QEvent>

#include "app/DialogNotifier.h"
#include "output/Module1.h"

DigitalStepAttenuatorForm::DigitalStepAttenuatorForm(Module1& module, UserNotifier* notifier,
                                                     QWidget* parent)
    : QWidget(parent), module_(module),
      ownNotifier_(notifier ? nullptr : std::make_unique<DialogNotifier>()),
      notifier_(notifier ? *notifier : *ownNotifier_) {
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
