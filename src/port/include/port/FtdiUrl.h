#pragma once
// Addresses of FTDI USB adapters, written as ftdi:// URLs:
//   ftdi://[vendor][:[product][:serial]][/interface]
// vendor is "ftdi" or a hexadecimal USB vendor id; product is a chip name
// (232r, 232h, 2232h, 4232h) or a hexadecimal USB product id; serial is the
// adapter's serial number; interface counts from 1 (A) and is 1 when absent.
// Examples: ftdi://ftdi:232h/1, ftdi://0403:6014/1, ftdi://::FT5XYZ12/1.

#include <cstdint>
#include <optional>
#include <string>

// The USB vendor id of FTDI's own adapters.
constexpr uint16_t kFtdiVendorId = 0x0403;

struct FtdiAddress {
    uint16_t vendor = kFtdiVendorId;
    // Empty: any of the vendor's FTDI chips.
    std::optional<uint16_t> product;
    // Empty: any serial number.
    std::string serial;
    // 1 is interface A.
    int interface = 1;
};

enum class FtdiUrlError {
    None,
    NotFtdi,              // does not start with ftdi://
    Malformed,            // too many fields, or text after the interface
    BadVendor,            // neither "ftdi" nor a hexadecimal vendor id
    BadProduct,           // neither a known chip name nor a hexadecimal product id
    BadSerial,            // a serial number with characters no adapter uses
    BadInterface,         // not a number, 0, or more than the chip has
    UnsupportedInterface, // an interface past A, which bit-bang here does not use
};

struct FtdiUrlResult {
    FtdiAddress address;
    FtdiUrlError error = FtdiUrlError::None;
    // For the user when error is not None: what is wrong with the address.
    std::string message;

    bool Ok() const { return error == FtdiUrlError::None; }
};

FtdiUrlResult ParseFtdiUrl(const std::string& url);

// The chip's name for a known FTDI product id ("FT232H"), or empty.
std::string FtdiChipName(uint16_t product);

// The address of interface A of an adapter, in the form a listing shows it:
// by chip name where the chip is known ("ftdi://ftdi:232h:FT5XYZ12/1"), else by
// USB ids; without a serial number when the adapter has none.
std::string FtdiUrlOf(uint16_t vendor, uint16_t product, const std::string& serial);
