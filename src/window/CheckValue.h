#pragma once
// Check-box values as the window's handlers use them: 0 unticked, 1 ticked,
// 2 greyed.

#include <cstdint>

class QCheckBox;

// The value of `box`: 0, 1 or 2.
int16_t CheckValue(const QCheckBox* box);

// Sets `box` to `value` (0, 1 or 2). Only the value 2 makes the box able to show
// the greyed state; 0 and 1 leave a two-state box. A value other than 0, 1 or 2 is
// refused and the box keeps its state. A change of state emits the box's usual
// change signals, so the value's handler runs as after a click.
void SetCheckValue(QCheckBox* box, int16_t value);
