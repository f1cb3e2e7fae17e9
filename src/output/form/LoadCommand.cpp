#include "app/DigitalStepAttenuatorForm.h"

void DigitalStepAttenuatorForm::Command1_Click() {}

void DigitalStepAttenuatorForm::Check1_Click(int16_t /*index*/) {}

void DigitalStepAttenuatorForm::Check2_Click() {}

void DigitalStepAttenuatorForm::LeOption_Click(int16_t /*index*/) {}

