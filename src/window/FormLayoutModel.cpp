// Banner, model chooser and the model's description lines.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "window/DigitalStepAttenuatorForm.h"
#include "window/FormControls.h"
#include "window/FormLayoutPanels.h"
#include "window/Images.h"
#include "window/Twips.h"

using namespace FormControls;

namespace {

QComboBox* AddModelCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("ModelCombo"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setFont(SansSerif(9.75, false));
    combo->setEditText(QStringLiteral("Choose KTN Model"));
    combo->setGeometry(Twips::Rect(120, 1560, 4695, 360));
    return combo;
}

// A description line: light grey, Arial bold, empty and hidden until a model is
// chosen.
QLabel* AddDescriptionLine(QWidget* parent, const QString& name, int top) {
    QLabel* label = AddLabel(parent, name, QString(), Twips::Rect(120, top, 6855, 300));
    SetBackground(label, QColor(224, 224, 224));
    label->setFont(Arial(9, true));
    label->hide();
    return label;
}

} // namespace

namespace FormLayout {

void BuildBanner(DigitalStepAttenuatorForm& form) {
    // Shown at its own size from the top-left corner, like a picture box.
    auto* picture = new QLabel(&form);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(Images::Banner());
    picture->setGeometry(Twips::Rect(120, 50, 9735, 1215));
    form.Picture1 = picture;
}

void BuildModelSelection(DigitalStepAttenuatorForm& form) {
    form.Label4 = AddLabel(&form, QStringLiteral("Label4"), QStringLiteral("Select Model:"),
                           Twips::Rect(120, 1320, 1455, 255));
    form.Label4->setFont(SansSerif(8.25, true));

    form.Check3 = AddCheckBox(&form, QStringLiteral("Check3"), QStringLiteral("Direct Mode"),
                              Twips::Rect(3360, 1200, 1215, 255));
    form.Check3->hide();

    form.ModelCombo = AddModelCombo(&form);

    form.Command2 = AddButton(&form, QStringLiteral("Command2"), QStringLiteral("Help"),
                              Twips::Rect(5640, 1560, 975, 375));

    form.Label8 = AddLabel(&form, QStringLiteral("Label8"),
                           QStringLiteral("Model entries refer to both '+' and non '+' versions."),
                           Twips::Rect(120, 1920, 4695, 375), Qt::AlignHCenter);

    form.Label5 = AddDescriptionLine(&form, QStringLiteral("Label5"), 2280);
    form.Label5->setToolTip(QStringLiteral("KTN Description"));
    form.Label6 = AddDescriptionLine(&form, QStringLiteral("Label6"), 2535);
}

} // namespace FormLayout
