#include "window/LineControl.h"

#include <QPainter>

#include "window/Twips.h"

LineControl::LineControl(QWidget* parent, int x1Twips, int y1Twips, int x2Twips, int y2Twips,
                         const QColor& colour, int widthPixels)
    : QWidget(parent), line_(Twips::Point(x1Twips, y1Twips), Twips::Point(x2Twips, y2Twips)),
      colour_(colour), penWidth_(widthPixels) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QRect box = QRect(line_.p1(), line_.p2()).normalized();
    setGeometry(box.adjusted(0, 0, penWidth_, penWidth_));
}

void LineControl::paintEvent(QPaintEvent* /*event*/) {
    // The lines of the design are horizontal or vertical: fill the pen's width
    // to the right of / below the line so that it lands exactly on its end
    // points' pixels.
    QPainter painter(this);
    const QPoint origin = geometry().topLeft();
    const QRect line = QRect(line_.p1() - origin, line_.p2() - origin).normalized();
    painter.fillRect(line.adjusted(0, 0, penWidth_ - 1, penWidth_ - 1), colour_);
}
