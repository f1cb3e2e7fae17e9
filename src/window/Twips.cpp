#include "window/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kDefaultDpi = 96.0;

double LogicalDpiX() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : kDefaultDpi;
}

double LogicalDpiY() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : kDefaultDpi;
}

int Convert(int twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

} // namespace

namespace Twips {

int ToPixelsX(int twips) {
    return Convert(twips, LogicalDpiX());
}
int ToPixelsY(int twips) {
    return Convert(twips, LogicalDpiY());
}

QRect Rect(int left, int top, int width, int height) {
    return QRect(ToPixelsX(left), ToPixelsY(top), ToPixelsX(width), ToPixelsY(height));
}

QPoint Point(int x, int y) {
    return QPoint(ToPixelsX(x), ToPixelsY(y));
}

QSize Size(int width, int height) {
    return QSize(ToPixelsX(width), ToPixelsY(height));
}

} // namespace Twips
