#pragma once
// A printer port with nothing behind it, for window tests that do not look at
// the port: every write succeeds, every read gives 0, and the user is never
// beeped at or shown a message. It records nothing.

#include <cstdint>
#include <string>

#include "common/UserNotifier.h"
#include "port/PortIo.h"

class NullPort : public PortIo, public UserNotifier {
public:
    PortStatus Out32(int32_t /*port*/, uint8_t /*value*/) override { return PortStatus::Ok; }
    PortStatus Inp32(int32_t /*port*/, uint8_t& value) override {
        value = 0;
        return PortStatus::Ok;
    }
    std::string UnavailableReason(int32_t /*port*/) const override { return {}; }
    void Beep() override {}
    void ShowMessage(const std::string& /*text*/) override {}
};
