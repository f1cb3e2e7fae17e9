#include "app/DigitalStepAttenuatorForm.h"

void DigitalStepAttenuatorForm::SScommand_Click(int16_t /*index*/) {}

