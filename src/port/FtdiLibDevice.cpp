// FtdiDevice over libftdi1.

#include <libftdi1/ftdi.h>
#include <libusb.h>

#include <chrono>
#include <iterator>
#include <thread>

#include "port/FtdiDevice.h"

namespace {

// Product ids tried, in this order, when the address names no product.
constexpr int kFtdiProducts[] = {0x6014, 0x6010, 0x6011, 0x6001, 0x6015};

// How long a read waits for the echo of a batch before it gives up.
constexpr auto kReadWait = std::chrono::milliseconds(500);

class FtdiLibDevice : public FtdiDevice {
public:
    FtdiLibDevice() : ctx_(NewContext()) {}
    ~FtdiLibDevice() override {
        Close();
        if (ctx_) {
            ftdi_free(ctx_);
        }
    }
    FtdiLibDevice(const FtdiLibDevice&) = delete;
    FtdiLibDevice& operator=(const FtdiLibDevice&) = delete;

    FtdiStatus List(bool probe, std::vector<FtdiAdapterInfo>& adapters) override {
        adapters.clear();
        if (!ctx_) {
            error_ = "The USB library could not be started.";
            return FtdiStatus::Failed;
        }
        ftdi_device_list* found = nullptr;
        // Vendor and product 0: every product id of FTDI's own chips.
        if (ftdi_usb_find_all(ctx_, &found, 0, 0) < 0) {
            return Fail(FtdiStatus::Failed);
        }
        for (ftdi_device_list* entry = found; entry != nullptr; entry = entry->next) {
            adapters.push_back(Describe(entry->dev, probe));
        }
        ftdi_list_free(&found);
        return FtdiStatus::Ok;
    }

    FtdiStatus Open(const FtdiAddress& address) override {
        if (!ctx_) {
            error_ = "The USB library could not be started.";
            return FtdiStatus::Failed;
        }
        Close();
        const auto interface = static_cast<ftdi_interface>(INTERFACE_A + address.interface - 1);
        if (ftdi_set_interface(ctx_, interface) < 0) {
            return Fail(FtdiStatus::Failed);
        }
        std::vector<int> products;
        if (address.product) {
            products.push_back(*address.product);
        } else {
            products.assign(std::begin(kFtdiProducts), std::end(kFtdiProducts));
        }
        const char* serial = address.serial.empty() ? nullptr : address.serial.c_str();
        FtdiStatus status = FtdiStatus::NoDevice;
        for (int product : products) {
            const int result = ftdi_usb_open_desc(ctx_, address.vendor, product, nullptr, serial);
            if (result == 0) {
                open_ = true;
                // Echoes come back as soon as they are there, not after 16 ms.
                ftdi_set_latency_timer(ctx_, 1);
                return FtdiStatus::Ok;
            }
            const FtdiStatus found = ClassifyOpen(result);
            if (found != FtdiStatus::NoDevice) {
                status = found;
                error_ = ftdi_get_error_string(ctx_);
            }
        }
        if (status == FtdiStatus::NoDevice) {
            error_ = "No FTDI adapter matches the address.";
        }
        return status;
    }

    FtdiStatus SetSyncBitBang() override {
        return ftdi_set_bitmode(ctx_, 0xFF, BITMODE_SYNCBB) < 0 ? AfterTransferFailure() : FtdiStatus::Ok;
    }

    FtdiStatus SetBaudRate(int baud) override {
        return ftdi_set_baudrate(ctx_, baud) < 0 ? AfterTransferFailure() : FtdiStatus::Ok;
    }

    FtdiStatus Write(const std::vector<uint8_t>& bytes, std::size_t& written) override {
        written = 0;
        const int result = ftdi_write_data(ctx_, bytes.data(), static_cast<int>(bytes.size()));
        if (result < 0) {
            return AfterTransferFailure();
        }
        written = static_cast<std::size_t>(result);
        return FtdiStatus::Ok;
    }

    FtdiStatus Read(std::size_t count, std::vector<uint8_t>& bytes) override {
        bytes.assign(count, 0);
        std::size_t got = 0;
        const auto deadline = std::chrono::steady_clock::now() + kReadWait;
        while (got < count) {
            const int result = ftdi_read_data(ctx_, bytes.data() + got, static_cast<int>(count - got));
            if (result < 0) {
                bytes.resize(got);
                return AfterTransferFailure();
            }
            got += static_cast<std::size_t>(result);
            if (result == 0) {
                if (std::chrono::steady_clock::now() >= deadline) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        bytes.resize(got);
        return FtdiStatus::Ok;
    }

    FtdiStatus ReadPins(uint8_t& pins) override {
        unsigned char value = 0;
        if (ftdi_read_pins(ctx_, &value) < 0) {
            return AfterTransferFailure();
        }
        pins = value;
        return FtdiStatus::Ok;
    }

    FtdiStatus Purge() override {
        return ftdi_tcioflush(ctx_) < 0 ? AfterTransferFailure() : FtdiStatus::Ok;
    }

    void Close() override {
        if (open_) {
            ftdi_set_bitmode(ctx_, 0, BITMODE_RESET);
            ftdi_usb_close(ctx_);
            open_ = false;
        }
    }

    std::string ErrorText() const override { return error_; }

private:
    // The kernel's serial driver, when it holds the adapter, is detached at
    // open and attached again at close, so the adapter is a serial port again
    // for other programs afterwards.
    static ftdi_context* NewContext() {
        ftdi_context* ctx = ftdi_new();
        if (ctx) {
            ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        }
        return ctx;
    }

    FtdiAdapterInfo Describe(libusb_device* dev, bool probe) {
        FtdiAdapterInfo info;
        info.bus = libusb_get_bus_number(dev);
        info.address = libusb_get_device_address(dev);
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(dev, &descriptor) == 0) {
            info.vendor = descriptor.idVendor;
            info.product = descriptor.idProduct;
        }
        char description[128] = {};
        char serial[128] = {};
        // Reading the strings opens the device: where this user may not, the
        // adapter is listed without them.
        const int strings = ftdi_usb_get_strings(ctx_, dev, nullptr, 0, description,
                                                 sizeof description, serial, sizeof serial);
        if (strings == 0) {
            info.description = description;
            info.serial = serial;
        }
        if (!probe) {
            return info;
        }
        ftdi_context* trial = NewContext();
        if (!trial) {
            info.status = FtdiStatus::Failed;
            info.reason = "The USB library could not be started.";
            return info;
        }
        const int opened = ftdi_usb_open_dev(trial, dev);
        if (opened == 0) {
            ftdi_usb_close(trial);
        } else {
            // ftdi_usb_open_dev: -4 the device would not open, -5 not claimed.
            info.status = opened == -4 ? FtdiStatus::NoPermission
                          : opened == -5 ? FtdiStatus::Busy
                                         : FtdiStatus::Failed;
            info.reason = ftdi_get_error_string(trial);
        }
        ftdi_free(trial);
        return info;
    }

    // The open call's own codes: -3 no such device, -4 the USB device would
    // not open (on Linux nearly always its permissions), -5 it could not be
    // claimed (held by another program).
    static FtdiStatus ClassifyOpen(int result) {
        switch (result) {
        case -3:
            return FtdiStatus::NoDevice;
        case -4:
            return FtdiStatus::NoPermission;
        case -5:
            return FtdiStatus::Busy;
        default:
            return FtdiStatus::Failed;
        }
    }

    FtdiStatus Fail(FtdiStatus status) {
        error_ = ftdi_get_error_string(ctx_);
        return status;
    }

    // libftdi reports every failed transfer alike; an adapter that no longer
    // answers a control request either has been unplugged.
    FtdiStatus AfterTransferFailure() {
        error_ = ftdi_get_error_string(ctx_);
        unsigned short modem = 0;
        if (!open_ || ftdi_poll_modem_status(ctx_, &modem) < 0) {
            error_ = "The FTDI adapter is gone (" + error_ + ").";
            return FtdiStatus::NoDevice;
        }
        return FtdiStatus::Failed;
    }

    ftdi_context* ctx_;
    bool open_ = false;
    std::string error_;
};

} // namespace

std::unique_ptr<FtdiDevice> MakeFtdiLibDevice() {
    return std::make_unique<FtdiLibDevice>();
}
