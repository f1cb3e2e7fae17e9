#include "app/DigitalStepAttenuatorForm.h"

void DigitalStepAttenuatorForm::BuildDesignedLayout() {}

