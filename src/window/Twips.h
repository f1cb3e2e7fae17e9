#pragma once
// Window geometry is designed in twips (1/1440 inch). On a 96 dpi display one
// pixel is 15 twips; elsewhere the conversion follows the screen's logical DPI.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace Twips {

// Pixels for a horizontal / vertical twip distance on the primary screen.
int ToPixelsX(int twips);
int ToPixelsY(int twips);

// Left, Top, Width, Height in twips to a pixel rectangle.
QRect Rect(int left, int top, int width, int height);
QPoint Point(int x, int y);
QSize Size(int width, int height);

} // namespace Twips
