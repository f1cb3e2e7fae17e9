#pragma once
// dsactl set, sweep and serve with --adapter against the emulated FT232H.

#include <string>

class CheckRun;
class GadgetControl;

// The gadget is plugged in when this starts, and again when it returns.
void CheckDsactlThroughAdapter(CheckRun& run, GadgetControl& gadget, const std::string& dsactl);
