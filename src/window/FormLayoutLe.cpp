// Latch-enable line selector: six option buttons without captions in one frame,
// with a number label under each.

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "window/Caption.h"
#include "window/DigitalStepAttenuatorForm.h"
#include "window/FormControls.h"
#include "window/FormLayoutPanels.h"
#include "window/Twips.h"

using namespace FormControls;

namespace {

struct LeMember {
    int optionLeft;
    const char* toolTip;
    int labelLeft;
};

// Lefts in twips relative to the frame. The tooltips are the pins of the LE lines
// on the printer-port connector, blanks as they are.
constexpr LeMember kLeMembers[6] = {
    {120, "LE1 use  Pin4 (IO #3) in parallel connector", 200},
    {450, "LE2 use  Pin5 (IO #4) in parallel connector", 480},
    {800, "LE3 use  Pin6 (IO #5) in parallel connector", 840},
    {1150, "LE4 use  Pin7 (IO #6)  in parallel connector", 1200},
    {1500, "LE5 use  Pin8 (IO #7) in parallel connector", 1560},
    {1875, "LE6 use  Pin9 (IO #8) in parallel connector", 1920},
};

// The group is a single Tab stop: only its selected button takes the focus from
// the Tab key, the arrow keys move between the buttons.
void KeepSelectedAsTabStop(const QButtonGroup* group) {
    for (QAbstractButton* button : group->buttons()) {
        button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

QRadioButton* AddLeOption(QGroupBox* frame, QButtonGroup* group, int index) {
    const LeMember& member = kLeMembers[index];
    auto* option = new QRadioButton(frame);
    option->setObjectName(MemberName("LeOption", index));
    option->setToolTip(QString::fromLatin1(member.toolTip));
    option->setGeometry(Twips::Rect(member.optionLeft, 240, 255, 255));
    group->addButton(option, index);
    return option;
}

QLabel* AddLeLabel(QGroupBox* frame, int index) {
    QLabel* label = AddLabel(frame, MemberName("LeLabel", index), QString::number(index + 1),
                             Twips::Rect(kLeMembers[index].labelLeft, 600, 90, 195));
    MarkSizedToText(label);
    return label;
}

} // namespace

namespace FormLayout {

void BuildLeSelector(DigitalStepAttenuatorForm& form) {
    form.leLabel8 = AddLabel(&form, QStringLiteral("leLabel8"), QStringLiteral("LE select: 1"),
                             Twips::Rect(120, 2925, 1035, 195));
    form.leLabel8->setFont(SansSerif(8.25, true));
    MarkSizedToText(form.leLabel8);

    form.LeFrame = AddFrame(&form, QStringLiteral("LeFrame"), Twips::Rect(120, 3120, 2295, 855));
    // Member indices are the button ids.
    auto* group = new QButtonGroup(form.LeFrame);
    group->setObjectName(QStringLiteral("LeOptionGroup"));
    group->setExclusive(true);
    for (int i = 0; i < 6; ++i) {
        const auto index = static_cast<size_t>(i);
        form.LeOption[index] = AddLeOption(form.LeFrame, group, i);
        form.LeLabel[index] = AddLeLabel(form.LeFrame, i);
    }
    form.LeOption[0]->setChecked(true);
    KeepSelectedAsTabStop(group);
    QObject::connect(group, &QButtonGroup::idToggled, group,
                     [group](int /*id*/, bool /*checked*/) { KeepSelectedAsTabStop(group); });
}

} // namespace FormLayout
