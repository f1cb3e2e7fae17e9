#include "window/FormControls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "window/Caption.h"

namespace FormControls {

QFont DesignFont(const QString& family, double points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont SansSerif(double points, bool bold) {
    return DesignFont(QStringLiteral("MS Sans Serif"), points, bold);
}

QFont Arial(double points, bool bold) {
    return DesignFont(QStringLiteral("Arial"), points, bold);
}

QString MemberName(const char* array, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

QLabel* AddLabel(QWidget* parent, const QString& name, const QString& caption,
                 const QRect& geometry, Qt::Alignment alignment) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(alignment | Qt::AlignTop);
    label->setWordWrap(true);
    SetCaption(label, caption);
    label->setGeometry(geometry);
    return label;
}

QPushButton* AddButton(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

QCheckBox* AddCheckBox(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& geometry) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

QGroupBox* AddFrame(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* frame = new QGroupBox(parent);
    frame->setObjectName(name);
    frame->setFocusPolicy(Qt::NoFocus);
    frame->setGeometry(geometry);
    return frame;
}

void SetColours(QWidget* widget, const QColor& background, const QColor& text) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetBackground(QWidget* widget, const QColor& background) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetSingleLineBorder(QLabel* label) {
    label->setFrameShape(QFrame::Box);
    label->setFrameShadow(QFrame::Plain);
    label->setLineWidth(1);
}

} // namespace FormControls
