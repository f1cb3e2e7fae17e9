#pragma once
// A straight line drawn between two end points of its parent, like the line
// controls of the window design: solid, a given width and colour. The widget
// covers just the line's bounding box and takes no input.

#include <QColor>
#include <QLine>
#include <QWidget>

class LineControl : public QWidget {
    Q_OBJECT

public:
    // End points in twips, relative to the parent's top-left corner.
    LineControl(QWidget* parent, int x1Twips, int y1Twips, int x2Twips, int y2Twips,
                const QColor& colour, int widthPixels = 1);

    // The end points in pixels, in the parent's coordinates.
    QLine Line() const { return line_; }
    QColor Colour() const { return colour_; }
    int PenWidth() const { return penWidth_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLine line_;
    QColor colour_;
    int penWidth_;
};
