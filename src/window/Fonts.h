#pragma once
// The window is designed in "MS Sans Serif" and "Arial". Where the system lacks
// those faces, text is drawn in metric-compatible free faces instead, so that
// captions keep their designed widths. Point sizes and weights stay as designed.

// Registers the substitute faces once per program run; later calls do nothing.
void InstallFontSubstitutes();
