#include "app/DigitalStepAttenuatorForm.h"

void DigitalStepAttenuatorForm::ModelCombo_Change() {}

void DigitalStepAttenuatorForm::ModelCombo_Click() {}

