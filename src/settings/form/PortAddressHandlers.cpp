#include "app/DigitalStepAttenuatorForm.h"

void DigitalStepAttenuatorForm::AddText_Change() {}

void DigitalStepAttenuatorForm::AddText_LostFocus() {}

void DigitalStepAttenuatorForm::Form_Activate() {}

