// Runs the port layer against the kernel's parallel port driver. This program
// is started inside the test guest, where parport_pc drives emulated ports at
// 0x378 and 0xD010 and ppdev offers them as /dev/parport0 and /dev/parport1.
// It prints one line per check and a final "N passed, M failed" line, and
// exits non-zero when any check failed.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/UserNotifier.h"
#include "port/PortAccess.h"
#include "port/PpdevPort.h"
#include "port/Transfers.h"

#include "CheckRun.h"

namespace {

constexpr int32_t kFirstBase = 0x378;
constexpr int32_t kSecondBase = 0xD010;
constexpr int32_t kBases[] = {kFirstBase, kSecondBase};
// Addresses where a printer port could be, but none is listed in the guest.
constexpr int32_t kUnlistedPorts[] = {0x278, 0x3BC};

std::string Hex(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string Bytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (uint8_t byte : bytes) {
        text += (text.empty() ? "" : ",") + std::to_string(byte);
    }
    return "[" + text + "]";
}

// Prints what the port layer would show the user, and counts it.
class ConsoleNotifier : public UserNotifier {
public:
    void Beep() override {
        ++beeps;
        std::printf("    (beep)\n");
    }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        std::printf("    (message) %s\n", text.c_str());
    }
    void Clear() {
        beeps = 0;
        messages.clear();
    }

    int beeps = 0;
    std::vector<std::string> messages;
};

// Passes every access on to the real port and keeps the bytes that went over it.
class RecordingPort : public PortIo {
public:
    explicit RecordingPort(PortIo& inner) : inner_(inner) {}

    PortStatus CheckBase(int32_t base) override { return inner_.CheckBase(base); }
    PortStatus Out32(int32_t port, uint8_t value) override {
        writes.emplace_back(port, value);
        return inner_.Out32(port, value);
    }
    PortStatus Inp32(int32_t port, uint8_t& value) override {
        const PortStatus status = inner_.Inp32(port, value);
        reads.emplace_back(port, value);
        return status;
    }
    std::string UnavailableReason(int32_t port) const override {
        return inner_.UnavailableReason(port);
    }
    PortProblem UnavailableProblem(int32_t port) const override {
        return inner_.UnavailableProblem(port);
    }

    static std::vector<uint8_t> Values(const std::vector<std::pair<int32_t, uint8_t>>& accesses) {
        std::vector<uint8_t> values;
        for (const auto& access : accesses) {
            values.push_back(access.second);
        }
        return values;
    }
    bool OnlyTo(int32_t port) const {
        const auto other = [port](const auto& access) { return access.first != port; };
        return std::none_of(writes.begin(), writes.end(), other) &&
               std::none_of(reads.begin(), reads.end(), other);
    }
    void Clear() {
        writes.clear();
        reads.clear();
    }

    std::vector<std::pair<int32_t, uint8_t>> writes;
    std::vector<std::pair<int32_t, uint8_t>> reads;

private:
    PortIo& inner_;
};

// Everything a check needs: the real backend, a recorder in front of it, and
// the port module on top, as the program uses them.
struct Rig {
    PpdevPort port;
    RecordingPort recorder{port};
    ConsoleNotifier notifier;
    PortAccess module{recorder, notifier};

    void Clear() {
        recorder.Clear();
        notifier.Clear();
    }
    bool Quiet() const { return notifier.beeps == 0 && notifier.messages.empty(); }
    std::string Noise() const {
        return std::to_string(notifier.beeps) + " beeps, " +
               std::to_string(notifier.messages.size()) + " messages";
    }
};

void CheckDiscovery(CheckRun& run, const Rig& rig) {
    std::string found;
    bool first = false;
    bool second = false;
    for (const ParportInfo& info : DiscoverParports("/proc/sys/dev/parport")) {
        found += " parport" + std::to_string(info.number) + "=" + Hex(info.base);
        first = first || info.base == kFirstBase;
        second = second || info.base == kSecondBase;
    }
    run.Check(first && second, "discovery lists 0x378 and 0xD010", "found" + found);
    run.Check(rig.port.Ports().size() == 2, "the backend knows both ports",
              std::to_string(rig.port.Ports().size()) + " ports");
}

// Each pattern sets a different mix of lines, D7 and D6 included.
void CheckDataRegister(CheckRun& run, Rig& rig, int32_t base) {
    static const std::vector<uint8_t> patterns = {0x00, 0x01, 0x80, 0x55, 0xAA, 0xFF, 0x00};
    std::vector<uint8_t> results;
    std::vector<uint8_t> readBack;
    rig.Clear();
    for (uint8_t pattern : patterns) {
        results.push_back(static_cast<uint8_t>(rig.module.WritePortVerified(base, pattern)));
        readBack.push_back(static_cast<uint8_t>(rig.module.ReadPortValue(base)));
    }
    const bool allVerified =
        std::all_of(results.begin(), results.end(), [](uint8_t r) { return r == 1; });
    run.Check(allVerified && rig.Quiet(), "verified writes to the data register at " + Hex(base),
              "results " + Bytes(results) + ", " + rig.Noise());
    run.Check(readBack == patterns, "data register at " + Hex(base) + " reads back each byte",
              "wrote " + Bytes(patterns) + ", read " + Bytes(readBack));
    run.Check(RecordingPort::Values(rig.recorder.writes) == patterns && rig.recorder.OnlyTo(base),
              "one write per byte, none elsewhere, at " + Hex(base),
              "writes " + Bytes(RecordingPort::Values(rig.recorder.writes)));
}

// Control lines 0-3 and the data direction bit 5 go through their own driver
// calls; neither may disturb the byte on the data lines.
void CheckControlRegister(CheckRun& run, Rig& rig, int32_t base) {
    const int32_t control = base + 2;
    constexpr PortRegister kControl = PortRegister::Control;
    rig.Clear();
    rig.module.WritePortVerified(base, 0x3C);
    std::vector<uint8_t> readBack;
    int verified = 0;
    for (uint8_t value : {uint8_t{0x0B}, uint8_t{0x20}, uint8_t{0x00}}) {
        verified += rig.module.WritePortVerified(base, kControl, value);
        readBack.push_back(static_cast<uint8_t>(rig.module.ReadPortValue(base, kControl)));
    }
    run.Check(verified == 3 && readBack == std::vector<uint8_t>{0x0B, 0x20, 0x00} && rig.Quiet(),
              "control register at " + Hex(control) + " takes 0x0B, 0x20 and is cleared to 0",
              std::to_string(verified) + " verified, read " + Bytes(readBack) + ", " + rig.Noise());
    const int16_t data = rig.module.ReadPortValue(base);
    run.Check(data == 0x3C, "control writes leave the data lines of " + Hex(base) + " alone",
              "data register reads " + std::to_string(data));
    uint8_t status = 0;
    run.Check(rig.port.Inp32(base + 1, status) == PortStatus::Ok,
              "status register at " + Hex(base + 1) + " reads");
}

struct SerialCase {
    int32_t base;
    uint8_t word; // bit i is step i
    int16_t leIndex;
    std::vector<uint8_t> expected;
};

void CheckSerialTransfer(CheckRun& run, Rig& rig, const SerialCase& c) {
    rig.module.WritePortVerified(c.base, 0xFF);
    rig.Clear();
    const bool latched = SendSerialWord(rig.module, c.base, c.word, c.leIndex);
    const auto writes = RecordingPort::Values(rig.recorder.writes);
    const auto reads = RecordingPort::Values(rig.recorder.reads);
    const std::string name =
        "serial transfer through LE" + std::to_string(c.leIndex) + " at " + Hex(c.base);
    run.Check(writes == c.expected && rig.recorder.OnlyTo(c.base) && rig.Quiet(),
              name + " writes the clocked bits, the latch and 0",
              "wrote " + Bytes(writes) + ", " + rig.Noise());
    // Every verified write read the port back: the driver held each byte.
    run.Check(reads == c.expected, name + " reads back every byte", "read " + Bytes(reads));
    run.Check(latched, name + " says the device latched");
    const int16_t after = rig.module.ReadPortValue(c.base);
    run.Check(after == 0, name + " leaves the port at 0", "reads " + std::to_string(after));
}

void CheckSerialTransfers(CheckRun& run, Rig& rig) {
    // Steps 0, 2 and 5 on, LE3 (D4): most significant step first.
    CheckSerialTransfer(run, rig, {kFirstBase, 0b0100101, 3, {2, 3, 2, 0, 1, 0, 0, 1, 0,  2,
                                                              3, 2, 0, 1, 0, 2, 3, 2, 18, 0}});
    // Only step 0 on, LE6 (D7); step 6 is never sent serially.
    CheckSerialTransfer(run, rig, {kSecondBase, 0b1000001, 6, {0, 1, 0, 0, 1, 0, 0, 1, 0,   0,
                                                               1, 0, 0, 1, 0, 2, 3, 2, 130, 0}});
}

void CheckParallelTransfer(CheckRun& run, Rig& rig, int32_t base, uint8_t steps, uint8_t word) {
    rig.module.WritePortVerified(base, 0);
    rig.Clear();
    const uint8_t sent = SendParallelWord(rig.module, base, steps);
    ParallelLatchPulse(rig.module, base, sent);
    const auto writes = RecordingPort::Values(rig.recorder.writes);
    const std::vector<uint8_t> expected = {word, static_cast<uint8_t>(word | 64), word};
    const std::string name = "parallel word " + std::to_string(word) + " at " + Hex(base);
    run.Check(writes == expected && rig.recorder.OnlyTo(base) && rig.Quiet(),
              name + " is written and latched on D6",
              "wrote " + Bytes(writes) + ", " + rig.Noise());
    const int16_t after = rig.module.ReadPortValue(base);
    run.Check(after == word, name + " stays on the data lines", "reads " + std::to_string(after));
}

void CheckParallelTransfers(CheckRun& run, Rig& rig) {
    // Steps 0, 3 and 6: step 6 goes to D7.
    CheckParallelTransfer(run, rig, kFirstBase, 0b1001001, 137);
    // Every step on: all lines but the latch.
    CheckParallelTransfer(run, rig, kSecondBase, 0b1111111, 191);
}

bool NamesPort(std::string text, int32_t port) {
    std::string hex = Hex(port).substr(2);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text.find(hex) != std::string::npos;
}

// An address with no listed port behind it must never reach the driver: a
// faulty backend could hand it to the first port it has open.
void CheckUnlistedPort(CheckRun& run, Rig& rig, int32_t port) {
    for (int32_t base : kBases) {
        rig.module.WritePortVerified(base, 0xA5);
    }
    rig.Clear();
    uint8_t value = 0;
    const PortStatus written = rig.port.Out32(port, 0x5A);
    const PortStatus read = rig.port.Inp32(port, value);
    const std::string reason = rig.port.UnavailableReason(port);
    run.Check(written == PortStatus::Unavailable && read == PortStatus::Unavailable,
              "backend refuses " + Hex(port),
              "write status " + std::to_string(static_cast<int>(written)) + ", read status " +
                  std::to_string(static_cast<int>(read)));
    run.Check(NamesPort(reason, port), "refusal of " + Hex(port) + " names the address",
              "\"" + reason + "\"");

    const int16_t result = rig.module.WritePortVerified(port, 0x5A);
    const bool shown = !rig.notifier.messages.empty() && NamesPort(rig.notifier.messages[0], port);
    run.Check(result == 0 && rig.module.PortUnavailable(port) && shown && rig.notifier.beeps == 0,
              "verified write to " + Hex(port) + " is refused and tells the user",
              "result " + std::to_string(result) + ", " + rig.Noise());

    std::vector<uint8_t> lines;
    for (int32_t base : kBases) {
        lines.push_back(static_cast<uint8_t>(rig.module.ReadPortValue(base)));
    }
    run.Check(lines == std::vector<uint8_t>{0xA5, 0xA5},
              "nothing meant for " + Hex(port) + " reached the listed ports",
              "they read " + Bytes(lines));
}

// A register above a listed port's base (the control register 37A, the status
// register 379) is no port address: nothing reaches the driver, and the one
// message names the address as typed and the listed bases.
void CheckRegisterAddress(CheckRun& run, Rig& rig, int32_t address) {
    rig.module.WritePortVerified(kFirstBase, 0xA5);
    rig.Clear();
    const int16_t control = rig.module.WritePortVerified(address, PortRegister::Control, 0);
    const int16_t data = rig.module.WritePortVerified(address, 0x5A);
    const bool named = rig.notifier.messages.size() == 1 &&
                       NamesPort(rig.notifier.messages[0], address) &&
                       NamesPort(rig.notifier.messages[0], kFirstBase) &&
                       NamesPort(rig.notifier.messages[0], kSecondBase);
    run.Check(control == 0 && data == 0 && rig.recorder.writes.empty() && named &&
                  rig.notifier.beeps == 0,
              "typed register address " + Hex(address) + " is refused with one message",
              std::to_string(rig.recorder.writes.size()) + " writes, " + rig.Noise());
    const int16_t lines = rig.module.ReadPortValue(kFirstBase);
    run.Check(lines == 0xA5, "nothing meant for " + Hex(address) + " reached the port",
              "it reads " + std::to_string(lines));
}

} // namespace

int main() {
    CheckRun run;
    Rig rig;
    CheckDiscovery(run, rig);
    for (int32_t base : kBases) {
        CheckDataRegister(run, rig, base);
        CheckControlRegister(run, rig, base);
    }
    CheckSerialTransfers(run, rig);
    CheckParallelTransfers(run, rig);
    for (int32_t port : kUnlistedPorts) {
        CheckUnlistedPort(run, rig, port);
    }
    for (int32_t address : {kFirstBase + 1, kFirstBase + 2}) {
        CheckRegisterAddress(run, rig, address);
    }
    return run.Finish();
}
