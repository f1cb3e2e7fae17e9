#pragma once
// Words every layer shares about a parallel port: its registers, and the kinds
// of fault that make a port unusable. The port layer reports them; the core and
// the front ends act on them (an exit status, an instrument error, a message).

// The registers of one parallel port, by their offset from its base address.
enum class PortRegister {
    Data = 0,
    Status = 1,
    Control = 2,
};

// Why a port cannot be used, for callers that act on the kind of fault (an exit
// status, an instrument error code) rather than show the reason text.
enum class PortProblem {
    None,         // usable, as far as is known
    NotListed,    // no parallel port at that address
    NoDevice,     // the port is listed but its device node is missing or gone
    NoPermission, // this user may not open the device node
    Busy,         // another driver or program holds the port
    Other,
};
