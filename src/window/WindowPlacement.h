#pragma once
// Where the main window goes at start-up: centred horizontally, with its free
// vertical space split one third above and two thirds below. A window larger
// than the screen gets a negative position and keeps its size.

#include <QPoint>
#include <QSize>

QPoint StartupPosition(const QSize& screen, const QSize& outerWindow);
