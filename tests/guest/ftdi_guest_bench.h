#pragma once
// Figures of the FTDI transport in the test guest, printed as "bench: ..." lines.

#include <string>

class GadgetControl;

// The gadget is plugged in. 0 when every measurement ran.
int RunFtdiBench(GadgetControl& gadget, const std::string& dsactl);
