#pragma once
// The main window's designed controls, built panel by panel. Each function
// creates the controls of one panel in their state at start and assigns them to
// the window's members.

class DigitalStepAttenuatorForm;

namespace FormLayout {

void BuildBanner(DigitalStepAttenuatorForm& form);
void BuildModelSelection(DigitalStepAttenuatorForm& form);
void BuildLeSelector(DigitalStepAttenuatorForm& form);
void BuildAttenuationSelector(DigitalStepAttenuatorForm& form);
void BuildOutputControls(DigitalStepAttenuatorForm& form);
void BuildPortAddress(DigitalStepAttenuatorForm& form);
void BuildInstructions(DigitalStepAttenuatorForm& form);
void BuildAboutButton(DigitalStepAttenuatorForm& form);

} // namespace FormLayout
