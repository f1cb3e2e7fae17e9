#include "window/SecondaryWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "window/Twips.h"

void ShowSecondaryWindow(QWidget* window, int leftTwips, int topTwips) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint screenTopLeft = screen ? screen->geometry().topLeft() : QPoint();
    window->move(screenTopLeft + Twips::Point(leftTwips, topTwips));
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
