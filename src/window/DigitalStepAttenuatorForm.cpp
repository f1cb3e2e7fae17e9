#include "window/DigitalStepAttenuatorForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "core/Board.h"
#include "core/Catalogue.h"
#include "core/HexAddress.h"
#include "window/AboutBox.h"
#include "window/DialogNotifier.h"
#include "window/HelpWindow.h"
#include "window/WindowPlacement.h"

DigitalStepAttenuatorForm::DigitalStepAttenuatorForm(Board& module, UserNotifier* notifier,
                                                     QWidget* parent)
    : QWidget(parent), module_(module),
      ownNotifier_(notifier ? nullptr : std::make_unique<DialogNotifier>()),
      notifier_(notifier ? *notifier : *ownNotifier_) {
    if (ownNotifier_) {
        ownNotifier_->SetParent(this);
    }
    BuildDesignedLayout();
    ConnectHandlers();
}

DigitalStepAttenuatorForm::~DigitalStepAttenuatorForm() = default;

bool DigitalStepAttenuatorForm::Form_Load() {
    PlaceAtStartupPosition();

    const std::optional<int32_t> address = ParseHexAddress(AddText->text().trimmed());
    if (!address) {
        notifier_.ShowMessage(QStringLiteral("The port address \"%1\" is not a hexadecimal number.")
                                  .arg(AddText->text())
                                  .toStdString());
        return false;
    }
    PortAddress = *address;

    // The catalogue entries are appended without selecting one and without
    // running any handler: the box keeps its designed prompt.
    const QString prompt = ModelCombo->currentText();
    const QSignalBlocker blocker(ModelCombo);
    ModelCombo->addItems(CatalogueDisplayTexts());
    ModelCombo->setCurrentIndex(-1);
    ModelCombo->setEditText(prompt);
    modelListIndex_ = -1;
    return true;
}

void DigitalStepAttenuatorForm::PlaceAtStartupPosition() {
    // Placement from the outer frame size, keeping the window's size. Before
    // the window is first shown the frame is not known yet and counts as none.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize outer = frameGeometry().size();
        placedFrame_ = outer - size();
        const QPoint position = StartupPosition(screen->geometry().size(), outer);
        // Once shown, the frame is placed through the platform window: a
        // widget move of a window larger than the screen is kept on the screen
        // by some platforms and would miss the frame.
        if (QWindow* window = windowHandle(); window && window->isVisible()) {
            window->setFramePosition(position);
        } else {
            move(position);
        }
    }
}

void DigitalStepAttenuatorForm::PlaceAgainIfFrameChanged() {
    if (!placementOpen_) {
        return;
    }
    const QSize frame = frameGeometry().size() - size();
    if (frame == placedFrame_) {
        return;
    }
    PlaceAtStartupPosition();
    if (!frame.isNull()) {
        placementOpen_ = false;
    }
}

void DigitalStepAttenuatorForm::setVisible(bool visible) {
    QWidget::setVisible(visible);
    // On the screen at last: the frame goes where the rule puts it, wherever
    // the platform put the window when it showed it.
    if (visible && !placedOnScreen_) {
        placedOnScreen_ = true;
        PlaceAtStartupPosition();
        if (!placedFrame_.isNull()) {
            placementOpen_ = false;
        }
    }
}

void DigitalStepAttenuatorForm::ConnectHandlers() {
    connect(ModelCombo, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        modelListIndex_ = static_cast<int16_t>(index);
        ModelCombo_Click();
    });
    // Only the user's own edits count as a change of the text; an edit means no
    // list entry is chosen any more.
    connect(ModelCombo->lineEdit(), &QLineEdit::textEdited, this, [this] {
        modelListIndex_ = -1;
        ModelCombo_Change();
    });
    // Leaving the text field would make the combo box pick the entry whose text
    // was typed and report it as chosen, running the selection once more with
    // that entry's interface and resetting the steps set since. A typed text
    // stays a typed text: only the list and the arrow keys choose an entry.
    disconnect(ModelCombo->lineEdit(), &QLineEdit::editingFinished, ModelCombo, nullptr);
    connect(AddText, &QLineEdit::textChanged, this, [this] { AddText_Change(); });
    AddText->installEventFilter(this);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    ConnectSelectorHandlers();
    ConnectOutputHandlers();
}

void DigitalStepAttenuatorForm::ConnectSelectorHandlers() {
    for (int16_t i = 0; i < static_cast<int16_t>(SScommand.size()); ++i) {
        connect(SScommand[static_cast<size_t>(i)], &QPushButton::clicked, this,
                [this, i] { SScommand_Click(i); });
    }
}

void DigitalStepAttenuatorForm::ConnectOutputHandlers() {
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    // A check box's click handler runs on every change of its value, by the user
    // or by code.
    connect(Check2, &QCheckBox::stateChanged, this, [this] { Check2_Click(); });
    for (int16_t i = 0; i < static_cast<int16_t>(Check1.size()); ++i) {
        connect(Check1[static_cast<size_t>(i)], &QCheckBox::stateChanged, this,
                [this, i] { Check1_Click(i); });
    }
    // An option button's click handler runs when it becomes selected.
    for (int16_t i = 0; i < static_cast<int16_t>(LeOption.size()); ++i) {
        connect(LeOption[static_cast<size_t>(i)], &QRadioButton::toggled, this,
                [this, i](bool selected) {
                    if (selected) {
                        LeOption_Click(i);
                    }
                });
    }
}

void DigitalStepAttenuatorForm::Command2_Click() {
    WatchForActivation(HelpWindow::Open());
}

void DigitalStepAttenuatorForm::Command3_Click() {
    WatchForActivation(AboutBox::Open());
}

void DigitalStepAttenuatorForm::WatchForActivation(QWidget* secondaryWindow) {
    if (secondaryWindow) {
        secondaryWindow->installEventFilter(this);
        if (secondaryWindow->isActiveWindow()) {
            activationDue_ = true;
        }
    }
}

void DigitalStepAttenuatorForm::RunActivationIfDue() {
    if (!activationDue_) {
        return;
    }
    activationDue_ = false;
    ++activationCount_;
    Form_Activate();
}

bool DigitalStepAttenuatorForm::event(QEvent* e) {
    switch (e->type()) {
    case QEvent::Show:
        // Some platforms (a display without a window manager) never activate the
        // window: the first showing counts as its first activation.
        if (!shownOnce_) {
            shownOnce_ = true;
            // The frame is known now, before anything is painted.
            PlaceAgainIfFrameChanged();
            QTimer::singleShot(0, this, [this] { RunActivationIfDue(); });
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // A window manager adds its frame after the first showing.
        if (shownOnce_) {
            PlaceAgainIfFrameChanged();
        }
        break;
    case QEvent::WindowActivate:
        RunActivationIfDue();
        break;
    case QEvent::Close:
        // A typed address is saved when its box loses the focus. Closing the
        // window takes the focus away first, so that the address is saved
        // however the window is closed and however soon the program ends.
        if (AddText->hasFocus()) {
            AddText->clearFocus();
        }
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

bool DigitalStepAttenuatorForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == AddText && e->type() == QEvent::FocusOut) {
        AddText_LostFocus();
    } else if (e->type() == QEvent::WindowActivate &&
               (qobject_cast<HelpWindow*>(watched) || qobject_cast<AboutBox*>(watched))) {
        // The help window or the About box became active: coming back to the
        // main window from it activates the main window again. Message boxes are
        // not watched, so closing one does not.
        activationDue_ = true;
    }
    return QWidget::eventFilter(watched, e);
}
