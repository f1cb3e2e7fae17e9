#include "app/DigitalStepAttenuatorForm.h"

void DigitalStepAttenuatorForm::AllButton() {}

void DigitalStepAttenuatorForm::No16Button() {}

void DigitalStepAttenuatorForm::No05Button() {}

