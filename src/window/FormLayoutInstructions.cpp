// Instructions panel: two frames, one per interface kind, that carry the same
// nine texts at the same places.

#include <QGroupBox>
#include <QLabel>

#include "window/DigitalStepAttenuatorForm.h"
#include "window/FormControls.h"
#include "window/FormLayoutPanels.h"
#include "window/Twips.h"

using namespace FormControls;

namespace {

enum class Face { Default, Regular975, Bold975, Bold825 };

struct Instruction {
    int serialMember;
    int parallelMember;
    int left, top, width, height;
    Face face;
    const char* caption;
};

// Positions in twips relative to the frame; "\r\n" breaks the line.
const Instruction kInstructions[9] = {
    {24, 10, 240, 240, 495, 255, Face::Regular975, "Note:"},
    {25, 9, 360, 600, 8295, 615, Face::Default,
     "The actual attenuation is: the Selected Nominal Attenuation plus the Insertion Loss at an "
     "operating frequency.\r\nFor Example: If the selected nominal attenuation is 10 dB and the "
     "Insertion Loss at the operating frequency is 1.8 dB then the actual attenuation will be "
     "11.8 dB.\r\n\r\n"},
    {26, 8, 360, 1320, 3615, 255, Face::Bold975, "* Selecting Nominal Attenuation:"},
    {19, 7, 360, 1560, 2655, 255, Face::Bold825, "a) \"Auto Load\" disabled"},
    {23, 11, 600, 1780, 8175, 375, Face::Default,
     "Select the requested Nominal Attenuation by clicking on the attenuation buttons, then "
     "click \"Load\"  button  to execute the selected nominal attenuation value. "},
    {22, 12, 600, 2190, 735, 255, Face::Bold825, "Example:"},
    {21, 13, 600, 2400, 7575, 495, Face::Default,
     "if a nominal attenuation of 7 dB is required, click on the 1, 2 and 4 buttons to show a 7 "
     "dB Nominal Attenuation level is selected. Then click the \"Load\" button to execute "
     "attenuation of 7 dB nominal."},
    {15, 16, 360, 2880, 2655, 255, Face::Bold825, "b) \"Auto Load\" enabled"},
    {20, 14, 600, 3120, 8175, 615, Face::Default,
     "In this mode the \"Load\"  button is neutralized. Select the requested Nominal Attenuation "
     "by clicking on the attenuation buttons , the attenuation value is executed  upon clicking "
     "on the attenuation buttons. "},
};

void ApplyFace(QLabel* label, Face face) {
    switch (face) {
    case Face::Regular975:
        label->setFont(SansSerif(9.75, false));
        break;
    case Face::Bold975:
        label->setFont(SansSerif(9.75, true));
        break;
    case Face::Bold825:
        label->setFont(SansSerif(8.25, true));
        break;
    case Face::Default:
        break;
    }
}

QLabel* AddInstruction(QGroupBox* frame, int member, const Instruction& text) {
    QLabel* label = AddLabel(frame, MemberName("Label3", member), QString::fromUtf8(text.caption),
                             Twips::Rect(text.left, text.top, text.width, text.height));
    ApplyFace(label, text.face);
    return label;
}

// A hidden frame below the visible client area, where the window design keeps it
// until a model is chosen.
QGroupBox* AddInstructionFrame(DigitalStepAttenuatorForm& form, const QString& name, int left,
                               bool serial) {
    QGroupBox* frame = AddFrame(&form, name, Twips::Rect(left, 8520, 9255, 4095));
    for (const Instruction& text : kInstructions) {
        const int member = serial ? text.serialMember : text.parallelMember;
        form.Label3[static_cast<size_t>(member)] = AddInstruction(frame, member, text);
    }
    frame->hide();
    return frame;
}

} // namespace

namespace FormLayout {

void BuildInstructions(DigitalStepAttenuatorForm& form) {
    form.SerialFrame = AddInstructionFrame(form, QStringLiteral("SerialFrame"), 2880, true);
    form.ParallelFrame = AddInstructionFrame(form, QStringLiteral("ParallelFrame"), 3120, false);
}

} // namespace FormLayout
