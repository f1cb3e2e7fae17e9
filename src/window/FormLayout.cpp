#include "window/DigitalStepAttenuatorForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "window/Fonts.h"
#include "window/FormControls.h"
#include "window/FormLayoutPanels.h"
#include "window/Images.h"
#include "window/Twips.h"

namespace {

constexpr int kClientWidth = 9990;
constexpr int kClientHeight = 9345;

void SetUpWindow(QWidget& window) {
    window.setObjectName(QStringLiteral("DigitalStepAttenuatorForm"));
    window.setWindowTitle(QStringLiteral("Digital Step Attenuator    (Ver.  A8)"));
    window.setWindowIcon(Images::MainWindowIcon());
    window.setFont(FormControls::SansSerif(8.25, false));
    window.resize(Twips::Size(kClientWidth, kClientHeight));
}

// The Tab key order over the controls that take the focus. The LE options form
// one stop: only the selected one takes the focus from the Tab key.
void SetFocusOrder(DigitalStepAttenuatorForm& form) {
    QList<QWidget*> order = {form.ModelCombo, form.Check2,    form.Command1, form.Command2,
                             form.Check1[0],  form.Check1[1], form.Check3,   form.AddText};
    for (QWidget* option : form.LeOption) {
        order.append(option);
    }
    order.append(form.Command3);
    for (QWidget* button : form.SScommand) {
        order.append(button);
    }
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    }
}

} // namespace

void DigitalStepAttenuatorForm::BuildDesignedLayout() {
    InstallFontSubstitutes();
    SetUpWindow(*this);
    // Built from the bottom of the stack up: the instruction frames, once moved
    // into place, must not cover the lower edge of the step buttons.
    FormLayout::BuildInstructions(*this);
    FormLayout::BuildBanner(*this);
    FormLayout::BuildModelSelection(*this);
    FormLayout::BuildLeSelector(*this);
    FormLayout::BuildAttenuationSelector(*this);
    FormLayout::BuildOutputControls(*this);
    FormLayout::BuildPortAddress(*this);
    FormLayout::BuildAboutButton(*this);
    SetFocusOrder(*this);
    ModelCombo->setFocus();
}
