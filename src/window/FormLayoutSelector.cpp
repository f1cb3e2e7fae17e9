// Attenuation selector: the nominal attenuation display, the weight labels, the
// step buttons under them and the connector lines from the display to the labels.

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "window/DigitalStepAttenuatorForm.h"
#include "window/FormControls.h"
#include "window/FormLayoutPanels.h"
#include "window/LineControl.h"
#include "window/Twips.h"

using namespace FormControls;

namespace {

// Member 6 (0.25 dB) stands leftmost, then members 0 to 5; lefts in twips.
struct StepMember {
    const char* weight;
    int labelLeft;
    bool labelShown;
    int buttonLeft;
    bool buttonShown;
};

constexpr StepMember kSteps[7] = {
    {"0.5", 3600, true, 3550, false},   {"1", 4080, true, 4050, true},
    {"2", 4560, true, 4540, true},      {"4", 5040, true, 5040, true},
    {"8", 5520, true, 5520, true},      {"16", 6000, true, 6000, true},
    {"0.25", 3050, false, 3050, false},
};

constexpr int kWeightTop = 3840;
constexpr int kWeightHeight = 255;
constexpr int kButtonTop = 4200;

struct LineEnds {
    int x1, y1, x2, y2;
    bool shown;
};

// Horizontal runs from the display out to the leaders of the outer labels.
constexpr LineEnds kRuns[3] = {
    {3720, 3600, 4200, 3600, true},
    {5760, 3480, 6120, 3480, true},
    {3240, 3480, 4200, 3480, false},
};

// Vertical leaders down to the weight labels.
constexpr LineEnds kLeaders[7] = {
    {3705, 3600, 3705, 3840, true},  {4305, 3600, 4305, 3860, true}, {4680, 3600, 4680, 3855, true},
    {5595, 3600, 5595, 3855, true},  {5235, 3645, 5235, 3945, true}, {6120, 3480, 6120, 3855, true},
    {3240, 3480, 3240, 3840, false},
};

QLabel* AddWeightLabel(QWidget* parent, int index) {
    const StepMember& step = kSteps[index];
    const int width = index == 6 ? 405 : 375;
    QLabel* label =
        AddLabel(parent, MemberName("SSLabel", index), QString::fromLatin1(step.weight),
                 Twips::Rect(step.labelLeft, kWeightTop, width, kWeightHeight), Qt::AlignHCenter);
    SetSingleLineBorder(label);
    // The system's colours for text windows.
    const QPalette system = QApplication::palette();
    SetColours(label, system.color(QPalette::Base), system.color(QPalette::Text));
    label->setVisible(step.labelShown);
    return label;
}

QPushButton* AddStepButton(QWidget* parent, int index) {
    const StepMember& step = kSteps[index];
    QPushButton* button = AddButton(parent, MemberName("SScommand", index), QStringLiteral("Off"),
                                    Twips::Rect(step.buttonLeft, kButtonTop, 450, 375));
    button->setFont(Arial(8.25, true));
    button->setVisible(step.buttonShown);
    return button;
}

LineControl* AddLine(QWidget* parent, const char* array, int index, const LineEnds& ends) {
    const QColor windowText = QApplication::palette().color(QPalette::WindowText);
    auto* line = new LineControl(parent, ends.x1, ends.y1, ends.x2, ends.y2, windowText);
    line->setObjectName(MemberName(array, index));
    line->setVisible(ends.shown);
    return line;
}

} // namespace

namespace FormLayout {

void BuildAttenuationSelector(DigitalStepAttenuatorForm& form) {
    form.Label1 = AddLabel(&form, QStringLiteral("Label1"),
                           QStringLiteral("Select Nominal Attenuation (dB): *"),
                           Twips::Rect(3480, 3000, 2970, 255), Qt::AlignHCenter);
    form.Label1->setFont(SansSerif(8.25, true));

    // The lines lie under the labels: a leader that runs past a label's top edge
    // disappears behind the label.
    for (int i = 0; i < 3; ++i) {
        form.Line2[static_cast<size_t>(i)] = AddLine(&form, "Line2", i, kRuns[i]);
    }
    for (int i = 0; i < 7; ++i) {
        form.Line1[static_cast<size_t>(i)] = AddLine(&form, "Line1", i, kLeaders[i]);
    }

    form.Label2 = AddLabel(&form, QStringLiteral("Label2"), QStringLiteral("0"),
                           Twips::Rect(4215, 3345, 1455, 330), Qt::AlignHCenter);
    form.Label2->setFont(SansSerif(9.75, false));
    SetSingleLineBorder(form.Label2);
    SetBackground(form.Label2, QColor(255, 255, 128));

    for (int i = 0; i < 7; ++i) {
        const auto index = static_cast<size_t>(i);
        form.SSLabel[index] = AddWeightLabel(&form, i);
        form.SScommand[index] = AddStepButton(&form, i);
    }
}

} // namespace FormLayout
