#include "window/WindowPlacement.h"

#include <cmath>

QPoint StartupPosition(const QSize& screen, const QSize& outerWindow) {
    // Worked out in single precision like the rest of the window geometry, then
    // truncated to whole pixels towards zero.
    const float left = static_cast<float>(screen.width() - outerWindow.width()) / 2.0f;
    const float top = static_cast<float>(screen.height() - outerWindow.height()) / 3.0f;
    return QPoint(static_cast<int>(std::trunc(left)), static_cast<int>(std::trunc(top)));
}
