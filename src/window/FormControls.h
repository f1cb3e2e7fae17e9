#pragma once
// Building blocks for the main window's designed controls: each control is
// created at an absolute position in its parent and named as in the window
// design, so that nothing moves when the window is resized.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <Qt>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

namespace FormControls {

// A font of the design: face, point size (8.25 stays 8.25) and weight.
QFont DesignFont(const QString& family, double points, bool bold);
QFont SansSerif(double points, bool bold); // "MS Sans Serif"
QFont Arial(double points, bool bold);

// Object name of member `index` of a control array, e.g. "SScommand(3)".
QString MemberName(const char* array, int index);

// A label whose text starts at the top and wraps at its width, cut off below its
// height; `alignment` is its horizontal alignment.
QLabel* AddLabel(QWidget* parent, const QString& name, const QString& caption,
                 const QRect& geometry, Qt::Alignment alignment = Qt::AlignLeft);
QPushButton* AddButton(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& geometry);
QCheckBox* AddCheckBox(QWidget* parent, const QString& name, const QString& caption,
                       const QRect& geometry);
// A frame without caption; it never takes the focus itself.
QGroupBox* AddFrame(QWidget* parent, const QString& name, const QRect& geometry);

// Fills the widget's background with `colour` and draws its text in `text`.
void SetColours(QWidget* widget, const QColor& background, const QColor& text);
void SetBackground(QWidget* widget, const QColor& background);
// A one-pixel single-line border round a label.
void SetSingleLineBorder(QLabel* label);

} // namespace FormControls
