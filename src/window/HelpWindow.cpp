#include "window/HelpWindow.h"

#include <QCloseEvent>
#include <QFont>
#include <QPlainTextEdit>
#include <QPointer>

#include "window/Images.h"
#include "window/Twips.h"
#include "window/SecondaryWindow.h"
#include "window/HelpText.h"

namespace {

QPointer<HelpWindow> openHelpWindow;

const char* const kCaption = "Digital Attenuator - Help ";
constexpr int kClientWidth = 7725;
constexpr int kClientHeight = 5715;
constexpr int kPlaceLeft = 100;
constexpr int kPlaceTop = 100;

QFont HelpFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

// The text box shows the page and nothing else: the user can neither focus,
// edit, select, copy nor scroll it.
QPlainTextEdit* CreateText1(QWidget* parent) {
    auto* text = new QPlainTextEdit(parent);
    text->setObjectName(QStringLiteral("Text1"));
    text->setGeometry(Twips::Rect(120, 240, 7215, 4575));
    text->setFont(HelpFont());
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text->setWordWrapMode(QTextOption::WordWrap);
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    text->setContextMenuPolicy(Qt::NoContextMenu);
    text->setFocusPolicy(Qt::NoFocus);
    text->setEnabled(false);
    // The document breaks paragraphs at "\n"; a CR left in would add an empty one.
    text->setPlainText(QString(HelpText()).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    return text;
}

} // namespace

HelpWindow::HelpWindow() {
    setObjectName(QStringLiteral("Form1"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QLatin1String(kCaption));
    setWindowIcon(Images::HelpWindowIcon());
    resize(Twips::Size(kClientWidth, kClientHeight));
    Text1 = CreateText1(this);
}

HelpWindow* HelpWindow::Open() {
    if (!openHelpWindow) {
        openHelpWindow = new HelpWindow();
    }
    HelpWindow* window = openHelpWindow;
    ShowSecondaryWindow(window, kPlaceLeft, kPlaceTop);
    return window;
}

HelpWindow* HelpWindow::Instance() {
    return openHelpWindow;
}

QString HelpWindow::Text1Contents() const {
    return Text1->toPlainText().replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // The window is deleted later; from now on it no longer counts as open, so
    // an Open() before the deletion creates a fresh one.
    if (event->isAccepted() && openHelpWindow == this) {
        openHelpWindow = nullptr;
    }
}
