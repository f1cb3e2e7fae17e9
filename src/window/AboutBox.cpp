#include "window/AboutBox.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

#include "window/LineControl.h"
#include "window/Twips.h"
#include "window/SecondaryWindow.h"

namespace {

QPointer<AboutBox> openAboutBox;

const char* const kCaption = "Digital Step Attenuator ";
const char* const kTitle = "Digital Step Attenuator  for 32/64 OS ";
const char* const kVersion = "Version   A1";
const char* const kNotice = "Control panel for step attenuator and amplifier test boards.";
constexpr int kClientWidth = 4500;
constexpr int kClientHeight = 2640;
constexpr int kPlaceLeft = 1000;
constexpr int kPlaceTop = 1000;
constexpr int kSeparatorY = 1920;
constexpr int kSeparatorRight = 4260;

QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    return font;
}

// A fully transparent icon, so that the platform shows no window icon rather
// than falling back to the program's icon.
QIcon NoIcon() {
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

QLabel* CreateLabel(QWidget* parent, const char* name, const char* text, const QRect& rect) {
    auto* label = new QLabel(QLatin1String(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setGeometry(rect);
    return label;
}

} // namespace

AboutBox::AboutBox()
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A tool window does not count among the program's windows by default; the
    // About box does: the program ends only when its last window is closed.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QLatin1String(kCaption));
    setWindowIcon(NoIcon());
    setFont(DialogFont());
    setFixedSize(Twips::Size(kClientWidth, kClientHeight));
    setSizeGripEnabled(false);

    lblTitle = CreateLabel(this, "lblTitle", kTitle, Twips::Rect(120, 240, 3885, 480));
    QPalette titlePalette = lblTitle->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(titlePalette);
    lblVersion = CreateLabel(this, "lblVersion", kVersion, Twips::Rect(120, 720, 3885, 225));
    Label1 = CreateLabel(this, "Label1", kNotice, Twips::Rect(120, 1200, 4215, 375));

    // The grey line is created last so that it lies on top of the white one.
    Line1[0] = new LineControl(this, 0, kSeparatorY, kSeparatorRight, kSeparatorY,
                               QColor(0xFF, 0xFF, 0xFF), 2);
    Line1[0]->setObjectName(QStringLiteral("Line1(0)"));
    Line1[1] = new LineControl(this, 0, kSeparatorY, kSeparatorRight, kSeparatorY,
                               QColor(0x80, 0x80, 0x80), 1);
    Line1[1]->setObjectName(QStringLiteral("Line1(1)"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::Rect(2640, 2040, 1260, 345));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setFocus();
    // OK and Enter accept, Escape and the close button reject; each ends in a
    // close, which destroys the box.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(this, &QDialog::finished, this, [this] {
        if (openAboutBox == this) {
            openAboutBox = nullptr;
        }
    });
}

AboutBox* AboutBox::Open() {
    if (!openAboutBox) {
        openAboutBox = new AboutBox();
    }
    AboutBox* box = openAboutBox;
    ShowSecondaryWindow(box, kPlaceLeft, kPlaceTop);
    return box;
}

AboutBox* AboutBox::Instance() {
    return openAboutBox;
}
