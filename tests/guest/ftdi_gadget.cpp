// An FT232H adapter in synchronous bit-bang mode, emulated in the test guest
// as a USB gadget: configfs (libcomposite) and FunctionFS (usb_f_fs) on the
// dummy_hcd controller, so that libftdi and the kernel's USB host stack in the
// same guest see a real USB device. It answers the chip's vendor requests,
// drives every byte of bulk OUT data on its eight pins and sends the pins back
// on bulk IN, one byte behind, as the chip does: with the pins at 0xFF, 55 AA
// AA sent reads back FF 55 AA. Every IN packet starts with the two modem status
// bytes; with nothing to send it is just those two.
//
// Usage: ftdi_gadget [--serial TEXT] [--log FILE]
// It sets the gadget up, prints "ready" (or "error REASON" and exits 1), then
// takes one command a line on standard input and answers each with one line,
// "ok ..." or "error ...":
//   plug         bind the gadget to the controller; answers once the host has
//                configured it (at most 20 s)
//   unplug       unbind it, as pulling the cable does (echo "" > UDC)
//   lag on|off   echo one byte behind (the chip) or, to test the checks
//                above it, echo the byte just driven
//   corrupt N    the echoes of the next N bulk OUT transfers each come back
//                with one byte wrong (its second, or its only one)
//   count        "ok transfers N bytes M": bulk OUT transfers and bytes so far
//   quit         unplug and end
//
// The log (default /tmp/ftdi-gadget.log) has one line per event, fields split
// by single spaces, times in nanoseconds on CLOCK_MONOTONIC:
//   out TIME N HEX         bulk OUT transfer N (counted from 1), in bit-bang:
//                          its bytes in the order they were driven on the pins
//   uart TIME N HEX        the same, out of bit-bang (not driven on the pins)
//   ctrl TIME RT RQ VALUE INDEX LENGTH   a vendor request, in hexadecimal
//   plug TIME / unplug TIME
// A transfer ends with a packet shorter than the endpoint's packet size, so a
// transfer of a whole number of packets is logged with the one after it.

#include <dirent.h>
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const kConfigfs = "/sys/kernel/config";
const char* const kGadget = "/sys/kernel/config/usb_gadget/dsa_ftdi";
const char* const kFunctionName = "dsa_ftdi"; // functions/ffs.<name>, mounted by that name
const char* const kFunctionfs = "/dev/ffs-dsa_ftdi";

constexpr uint16_t kVendor = 0x0403;
constexpr uint16_t kProduct = 0x6014;
constexpr uint16_t kChipRelease = 0x0900; // libftdi tells an FT232H by it

// The FT232H's vendor requests (bRequest).
enum Request : uint8_t {
    kReset = 0x00, // value 0 resets, 1 and 2 purge the buffers
    kModemControl = 0x01,
    kFlowControl = 0x02,
    kBaudRate = 0x03,
    kDataCharacteristics = 0x04,
    kPollModemStatus = 0x05,
    kSetLatency = 0x09,
    kGetLatency = 0x0A,
    kSetBitMode = 0x0B,
    kReadPins = 0x0C,
};
constexpr uint8_t kModeReset = 0x00;
constexpr uint8_t kModeAsyncBitBang = 0x01;
constexpr uint8_t kModeSyncBitBang = 0x04;

// The modem status the chip puts in front of every IN packet: CTS and DSR
// set, transmitter empty.
constexpr uint8_t kModemStatus[2] = {0x31, 0x60};

constexpr auto kPlugBound = std::chrono::seconds(20);

int64_t Now() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

bool WriteText(const std::string& path, const std::string& text, std::string& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    const ssize_t written = ::write(fd, text.data(), text.size());
    const int saved = errno;
    ::close(fd);
    if (written != static_cast<ssize_t>(text.size())) {
        error = "cannot write \"" + text + "\" to " + path + ": " + std::strerror(saved);
        return false;
    }
    return true;
}

bool MakeDir(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot make " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// The interface and its two bulk endpoints, at one speed. IN is 0x81 and OUT
// 0x02, where libftdi looks for interface A's.
struct __attribute__((packed)) SpeedDescriptors {
    usb_interface_descriptor interface;
    usb_endpoint_descriptor_no_audio in;
    usb_endpoint_descriptor_no_audio out;
};

struct __attribute__((packed)) Descriptors {
    usb_functionfs_descs_head_v2 header;
    uint32_t fsCount;
    uint32_t hsCount;
    SpeedDescriptors fs;
    SpeedDescriptors hs;
};

SpeedDescriptors AtSpeed(uint16_t packetSize) {
    SpeedDescriptors d{};
    d.interface.bLength = sizeof d.interface;
    d.interface.bDescriptorType = USB_DT_INTERFACE;
    d.interface.bNumEndpoints = 2;
    d.interface.bInterfaceClass = USB_CLASS_VENDOR_SPEC;
    d.interface.bInterfaceSubClass = USB_CLASS_VENDOR_SPEC;
    d.interface.bInterfaceProtocol = USB_CLASS_VENDOR_SPEC;
    for (usb_endpoint_descriptor_no_audio* ep : {&d.in, &d.out}) {
        ep->bLength = sizeof *ep;
        ep->bDescriptorType = USB_DT_ENDPOINT;
        ep->bmAttributes = USB_ENDPOINT_XFER_BULK;
        ep->wMaxPacketSize = packetSize; // little-endian, as this machine
    }
    d.in.bEndpointAddress = USB_DIR_IN | 1;
    d.out.bEndpointAddress = USB_DIR_OUT | 2;
    return d;
}

class Gadget {
public:
    explicit Gadget(std::string logPath) : logPath_(std::move(logPath)) {}

    bool SetUp(const std::string& serial, std::string& error);
    void Start();
    std::string Command(const std::string& line);

private:
    void Log(const std::string& line);
    bool Plug(std::string& error);
    bool Unplug(std::string& error);
    void Control();
    void HandleSetup(const usb_ctrlrequest& setup);
    void BulkOut();
    void Drive(const uint8_t* bytes, std::size_t count, long spoil);
    void BulkIn();

    std::string logPath_;
    int log_ = -1;
    int ep0_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string udc_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool enabled_ = false;
    uint8_t pins_ = 0xFF;
    uint8_t mask_ = 0x00;
    uint8_t mode_ = kModeReset;
    uint8_t latency_ = 16;
    bool lag_ = true;
    long corrupt_ = 0;
    long transfers_ = 0;
    long bytes_ = 0;
    std::deque<uint8_t> echoes_; // to go to the host, behind the modem status
    pthread_t inThread_{};
    bool idleWrite_ = false; // the IN thread is writing a packet of just the status
};

bool Gadget::SetUp(const std::string& serial, std::string& error) {
    log_ = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (log_ < 0) {
        error = "cannot open the log " + logPath_ + ": " + std::strerror(errno);
        return false;
    }
    const std::string gadgets = std::string(kConfigfs) + "/usb_gadget";
    struct stat info {};
    if (::stat(gadgets.c_str(), &info) != 0) {
        error = gadgets + " is not there (configfs not mounted, or libcomposite not loaded)";
        return false;
    }
    DIR* udcs = ::opendir("/sys/class/udc");
    if (udcs != nullptr) {
        while (const dirent* entry = ::readdir(udcs)) {
            if (entry->d_name[0] != '.') {
                udc_ = entry->d_name;
                break;
            }
        }
        ::closedir(udcs);
    }
    if (udc_.empty()) {
        error = "no USB device controller in /sys/class/udc (dummy_hcd not loaded)";
        return false;
    }

    const std::string g = kGadget;
    const std::string function = g + "/functions/ffs." + kFunctionName;
    const std::string config = g + "/configs/c.1";
    char number[16];
    auto hex = [&number](unsigned value) {
        std::snprintf(number, sizeof number, "0x%04X", value);
        return std::string(number);
    };
    if (!MakeDir(g, error) || !WriteText(g + "/idVendor", hex(kVendor), error) ||
        !WriteText(g + "/idProduct", hex(kProduct), error) ||
        !WriteText(g + "/bcdDevice", hex(kChipRelease), error) ||
        !WriteText(g + "/bcdUSB", hex(0x0200), error) || !MakeDir(g + "/strings/0x409", error) ||
        !WriteText(g + "/strings/0x409/manufacturer", "FTDI", error) ||
        !WriteText(g + "/strings/0x409/product", "FT232H emulated", error) ||
        !WriteText(g + "/strings/0x409/serialnumber", serial, error)) {
        return false;
    }
    if (!MakeDir(function, error)) {
        error += " (usb_f_fs not loaded?)";
        return false;
    }
    if (!MakeDir(config, error) || !WriteText(config + "/MaxPower", "90", error)) {
        return false;
    }
    const std::string link = config + "/ffs." + kFunctionName;
    if (::symlink(function.c_str(), link.c_str()) != 0 && errno != EEXIST) {
        error = "cannot link " + function + " into " + config + ": " + std::strerror(errno);
        return false;
    }
    if (!MakeDir(kFunctionfs, error)) {
        return false;
    }
    if (::mount(kFunctionName, kFunctionfs, "functionfs", 0, nullptr) != 0 && errno != EBUSY) {
        error = std::string("cannot mount functionfs at ") + kFunctionfs + ": " +
                std::strerror(errno) + " (usb_f_fs not loaded?)";
        return false;
    }

    const std::string ffs = kFunctionfs;
    ep0_ = ::open((ffs + "/ep0").c_str(), O_RDWR | O_CLOEXEC);
    if (ep0_ < 0) {
        error = "cannot open " + ffs + "/ep0: " + std::strerror(errno);
        return false;
    }
    Descriptors descriptors{};
    descriptors.header.magic = FUNCTIONFS_DESCRIPTORS_MAGIC_V2;
    descriptors.header.length = sizeof descriptors;
    descriptors.header.flags =
        FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC | FUNCTIONFS_ALL_CTRL_RECIP;
    descriptors.fsCount = 3;
    descriptors.hsCount = 3;
    descriptors.fs = AtSpeed(64);
    descriptors.hs = AtSpeed(512);
    usb_functionfs_strings_head strings{};
    strings.magic = FUNCTIONFS_STRINGS_MAGIC;
    strings.length = sizeof strings;
    if (::write(ep0_, &descriptors, sizeof descriptors) != sizeof descriptors ||
        ::write(ep0_, &strings, sizeof strings) != sizeof strings) {
        error = "FunctionFS refused the descriptors: " + std::string(std::strerror(errno));
        return false;
    }
    // The endpoint files, in the order of their descriptors.
    in_ = ::open((ffs + "/ep1").c_str(), O_RDWR | O_CLOEXEC);
    out_ = ::open((ffs + "/ep2").c_str(), O_RDWR | O_CLOEXEC);
    if (in_ < 0 || out_ < 0) {
        error = "cannot open the endpoint files in " + ffs + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void Gadget::Start() {
    // Interrupts the write of an idle IN packet; no restart, so the write ends.
    struct sigaction interrupt {};
    interrupt.sa_handler = [](int) {};
    ::sigaction(SIGUSR1, &interrupt, nullptr);
    std::thread([this] { Control(); }).detach();
    std::thread([this] { BulkOut(); }).detach();
    std::thread([this] { BulkIn(); }).detach();
}

void Gadget::Log(const std::string& line) {
    const std::string text = line + "\n";
    if (::write(log_, text.data(), text.size()) < 0) {
        std::fprintf(stderr, "ftdi_gadget: cannot write the log: %s\n", std::strerror(errno));
    }
}

bool Gadget::Plug(std::string& error) {
    if (!WriteText(std::string(kGadget) + "/UDC", udc_, error)) {
        return false;
    }
    Log("plug " + std::to_string(Now()));
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, kPlugBound, [this] { return enabled_; })) {
        error = "the host did not configure the gadget within 20 s";
        return false;
    }
    return true;
}

bool Gadget::Unplug(std::string& error) {
    if (!WriteText(std::string(kGadget) + "/UDC", "\n", error)) {
        return false;
    }
    Log("unplug " + std::to_string(Now()));
    std::lock_guard<std::mutex> lock(mutex_);
    enabled_ = false;
    echoes_.clear();
    return true;
}

std::string Gadget::Command(const std::string& line) {
    std::istringstream words(line);
    std::string verb, argument;
    words >> verb >> argument;
    std::string error;
    if (verb == "plug") {
        return Plug(error) ? "ok plugged on " + udc_ : "error " + error;
    }
    if (verb == "unplug") {
        return Unplug(error) ? "ok unplugged" : "error " + error;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (verb == "lag" && (argument == "on" || argument == "off")) {
        lag_ = argument == "on";
        return "ok lag " + argument;
    }
    if (verb == "corrupt" && !argument.empty()) {
        corrupt_ = std::strtol(argument.c_str(), nullptr, 10);
        return "ok corrupt " + std::to_string(corrupt_);
    }
    if (verb == "count") {
        return "ok transfers " + std::to_string(transfers_) + " bytes " + std::to_string(bytes_);
    }
    return "error unknown command: " + line;
}

// The control endpoint: the function's events and the vendor requests.
void Gadget::Control() {
    for (;;) {
        usb_functionfs_event event{};
        const ssize_t got = ::read(ep0_, &event, sizeof event);
        if (got < 0) {
            if (errno != EINTR) {
                ::usleep(10000);
            }
            continue;
        }
        if (got != sizeof event) {
            continue;
        }
        switch (event.type) {
        case FUNCTIONFS_ENABLE: {
            std::lock_guard<std::mutex> lock(mutex_);
            enabled_ = true;
            changed_.notify_all();
            break;
        }
        case FUNCTIONFS_DISABLE:
        case FUNCTIONFS_UNBIND: {
            std::lock_guard<std::mutex> lock(mutex_);
            enabled_ = false;
            break;
        }
        case FUNCTIONFS_SETUP:
            HandleSetup(event.u.setup);
            break;
        default:
            break;
        }
    }
}

void Gadget::HandleSetup(const usb_ctrlrequest& setup) {
    char line[96];
    std::snprintf(line, sizeof line, "ctrl %lld %02X %02X %04X %04X %04X",
                  static_cast<long long>(Now()), setup.bRequestType, setup.bRequest, setup.wValue,
                  setup.wIndex, setup.wLength);
    Log(line);
    const uint8_t low = static_cast<uint8_t>(setup.wValue & 0xFF);
    const uint8_t high = static_cast<uint8_t>(setup.wValue >> 8);
    std::vector<uint8_t> reply;
    bool known = true;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        switch (setup.bRequest) {
        case kReset:
            // Reset and both purges leave no echo waiting for the host.
            echoes_.clear();
            break;
        case kModemControl:
        case kFlowControl:
        case kBaudRate:
        case kDataCharacteristics:
            break;
        case kPollModemStatus:
            reply.assign(std::begin(kModemStatus), std::end(kModemStatus));
            break;
        case kSetLatency:
            latency_ = low == 0 ? 1 : low;
            break;
        case kGetLatency:
            reply.push_back(latency_);
            break;
        case kSetBitMode:
            mask_ = low;
            mode_ = high;
            break;
        case kReadPins:
            reply.push_back(pins_);
            break;
        default:
            known = false;
            break;
        }
    }
    if ((setup.bRequestType & USB_DIR_IN) != 0) {
        if (!known) {
            // A read in the wrong direction stalls the request.
            ::read(ep0_, nullptr, 0);
            return;
        }
        reply.resize(std::min<std::size_t>(reply.size(), setup.wLength));
        ::write(ep0_, reply.data(), reply.size());
    } else {
        // Unknown requests to the chip are taken as done; the data stage, if
        // any, is read and dropped.
        std::vector<uint8_t> data(setup.wLength);
        ::read(ep0_, data.data(), data.size());
    }
}

// Bulk OUT: every byte is driven on the pins as it arrives.
void Gadget::BulkOut() {
    constexpr std::size_t kRead = 512; // the high-speed packet; a full-speed read takes up to 8
    std::vector<uint8_t> packet(kRead);
    std::vector<uint8_t> transfer;
    long spoil = -1; // the byte of the transfer whose echo is spoiled, or -1
    auto logTransfer = [&] {
        Log(std::string(mode_ == kModeSyncBitBang || mode_ == kModeAsyncBitBang ? "out "
                                                                                : "uart ") +
            std::to_string(Now()) + " " + std::to_string(transfers_) + " " + Hex(transfer));
        transfer.clear();
    };
    for (;;) {
        const ssize_t got = ::read(out_, packet.data(), packet.size());
        if (got < 0) {
            // Unplugged: what came of the transfer is logged, as far as it got.
            if (!transfer.empty()) {
                std::lock_guard<std::mutex> lock(mutex_);
                logTransfer();
            }
            if (errno != EINTR) {
                ::usleep(1000);
            }
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (transfer.empty()) {
                ++transfers_;
                // The second byte's echo is the first a check of the lag
                // reads; a transfer of one byte has only its own.
                spoil = corrupt_ == 0 ? -1 : (got > 1 ? 1 : 0);
                if (corrupt_ > 0) {
                    --corrupt_;
                }
            }
            const long offset = static_cast<long>(transfer.size());
            transfer.insert(transfer.end(), packet.begin(), packet.begin() + got);
            bytes_ += got;
            Drive(packet.data(), static_cast<std::size_t>(got), spoil - offset);
            if (static_cast<std::size_t>(got) < kRead) {
                logTransfer();
            }
            if (idleWrite_ && !echoes_.empty()) {
                idleWrite_ = false;
                ::pthread_kill(inThread_, SIGUSR1);
            }
        }
        changed_.notify_all();
    }
}

// Drives `count` bytes on the pins (the mutex held) and queues their echoes.
// In synchronous bit-bang the pins are sampled just before each byte is
// driven. The echo of byte `spoil` (when it is one of these) is spoiled.
void Gadget::Drive(const uint8_t* bytes, std::size_t count, long spoil) {
    if (mode_ != kModeSyncBitBang && mode_ != kModeAsyncBitBang) {
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t before = pins_;
        // Pins set as inputs read high (pulled up).
        pins_ = static_cast<uint8_t>((bytes[i] & mask_) | ~mask_);
        if (mode_ != kModeSyncBitBang) {
            continue;
        }
        uint8_t echo = lag_ ? before : pins_;
        if (static_cast<long>(i) == spoil) {
            echo = static_cast<uint8_t>(echo ^ 0xFF);
        }
        echoes_.push_back(echo);
    }
}

// Bulk IN: the modem status and what echoes there are, as the chip sends them:
// at once when there are echoes, else after the latency timer.
//
// The chip answers the host's IN tokens with what it has when they come; a
// gadget has its packet queued before. So that echoes do not wait behind a
// packet of just the status that was queued while the pins were idle, the
// arrival of echoes interrupts that packet's write (SIGUSR1), which takes it
// back unless the host has already read it.
void Gadget::BulkIn() {
    inThread_ = ::pthread_self();
    std::size_t packetSize = 512;
    for (;;) {
        std::vector<uint8_t> packet(std::begin(kModemStatus), std::end(kModemStatus));
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(latency_),
                              [this] { return !echoes_.empty(); });
            while (!echoes_.empty() && packet.size() < packetSize) {
                packet.push_back(echoes_.front());
                echoes_.pop_front();
            }
            idleWrite_ = packet.size() == sizeof kModemStatus;
        }
        const ssize_t sent = ::write(in_, packet.data(), packet.size());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            idleWrite_ = false;
        }
        if (sent < 0) {
            if (errno != EINTR) {
                ::usleep(1000);
            }
            continue;
        }
        usb_endpoint_descriptor descriptor{};
        if (::ioctl(in_, FUNCTIONFS_ENDPOINT_DESC, &descriptor) == 0 &&
            descriptor.wMaxPacketSize >= 8) {
            packetSize = descriptor.wMaxPacketSize;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string serial = "DSA00001";
    std::string log = "/tmp/ftdi-gadget.log";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--serial") {
            serial = argv[i + 1];
        } else if (option == "--log") {
            log = argv[i + 1];
        } else {
            std::printf("error unknown option %s\n", argv[i]);
            return 1;
        }
    }
    Gadget gadget(log);
    std::string error;
    if (!gadget.SetUp(serial, error)) {
        std::printf("error %s\n", error.c_str());
        return 1;
    }
    gadget.Start();
    std::printf("ready\n");
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
        if (line == "quit") {
            gadget.Command("unplug");
            std::printf("ok quit\n");
            std::fflush(stdout);
            break;
        }
        std::printf("%s\n", gadget.Command(line).c_str());
        std::fflush(stdout);
    }
    // The endpoint threads stay blocked in the kernel; the process ends them.
    std::_Exit(0);
}
