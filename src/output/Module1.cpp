#include "output/Module1.h"

Module1::Module1(PortIo& io, UserNotifier& notifier) : io_(io), notifier_(notifier) {}

int16_t Module1::WritePortVerified(int32_t /*port*/, int16_t /*value*/) { return 0; }

int16_t Module1::ReadPortValue(int32_t /*port*/) { return 0; }

bool Module1::PortUnavailable(int32_t port) const { return unavailable_.count(port) != 0; }
