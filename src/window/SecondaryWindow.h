#pragma once
// The help window and the About box open the same way: at a fixed place from
// the screen's top-left corner, shown without blocking the main window, and
// made the active window.

class QWidget;

// Moves the outer frame of `window` to `leftTwips`, `topTwips` from the primary
// screen's top-left corner (its size unchanged), brings it back from the
// minimised state, shows it, raises it and makes it active.
void ShowSecondaryWindow(QWidget* window, int leftTwips, int topTwips);
