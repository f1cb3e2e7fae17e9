#include "port/FtdiUrl.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

struct Chip {
    const char* urlName;
    const char* name;
    uint16_t product;
    int interfaces;
};

constexpr Chip kChips[] = {
    {"232r", "FT232R", 0x6001, 1},
    {"2232h", "FT2232H", 0x6010, 2},
    {"4232h", "FT4232H", 0x6011, 4},
    {"232h", "FT232H", 0x6014, 1},
};

// Most interfaces any FTDI chip has; the limit when the chip is not known.
constexpr int kMostInterfaces = 4;

const Chip* ChipByProduct(uint16_t product) {
    for (const Chip& chip : kChips) {
        if (chip.product == product) {
            return &chip;
        }
    }
    return nullptr;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// One to four hexadecimal digits.
std::optional<uint16_t> Hex16(const std::string& text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (!std::isxdigit(c)) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    return static_cast<uint16_t>(value);
}

std::vector<std::string> SplitColons(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) {
            return fields;
        }
        start = colon + 1;
    }
}

FtdiUrlResult Fail(FtdiUrlError error, const std::string& url, const std::string& why) {
    FtdiUrlResult result;
    result.error = error;
    result.message = "\"" + url + "\" is no usable FTDI adapter address: " + why;
    return result;
}

const char kForm[] = " (write it as ftdi://ftdi:232h/1, ftdi://0403:6014/1 or ftdi://::SERIAL/1).";

} // namespace

std::string FtdiChipName(uint16_t product) {
    const Chip* chip = ChipByProduct(product);
    return chip ? chip->name : std::string();
}

std::string FtdiUrlOf(uint16_t vendor, uint16_t product, const std::string& serial) {
    const Chip* chip = vendor == kFtdiVendorId ? ChipByProduct(product) : nullptr;
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", vendor, product);
    std::string url = "ftdi://" + (chip ? std::string("ftdi:") + chip->urlName : std::string(ids));
    if (!serial.empty()) {
        url += ":" + serial;
    }
    return url + "/1";
}

FtdiUrlResult ParseFtdiUrl(const std::string& url) {
    const std::string scheme = "ftdi://";
    if (url.compare(0, scheme.size(), scheme) != 0) {
        return Fail(FtdiUrlError::NotFtdi, url, std::string("it does not start with ftdi://") + kForm);
    }
    const std::string rest = url.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    const std::string device = rest.substr(0, slash);
    const std::string interfaceText = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    if (interfaceText.find('/') != std::string::npos) {
        return Fail(FtdiUrlError::Malformed, url, std::string("there is text after the interface number") + kForm);
    }

    const std::vector<std::string> fields = SplitColons(device);
    if (fields.size() > 3) {
        return Fail(FtdiUrlError::Malformed, url,
                    std::string("it has more than vendor, product and serial number") + kForm);
    }
    FtdiUrlResult result;
    FtdiAddress& address = result.address;

    const std::string vendor = Lower(fields[0]);
    if (!vendor.empty() && vendor != "ftdi") {
        const std::optional<uint16_t> id = Hex16(vendor);
        if (!id || *id == 0) {
            return Fail(FtdiUrlError::BadVendor, url,
                        "the vendor \"" + fields[0] + "\" is neither ftdi nor a hexadecimal USB vendor id.");
        }
        address.vendor = *id;
    }

    const Chip* chip = nullptr;
    if (fields.size() > 1 && !fields[1].empty()) {
        const std::string product = Lower(fields[1]);
        for (const Chip& known : kChips) {
            if (product == known.urlName) {
                chip = &known;
            }
        }
        std::optional<uint16_t> id;
        if (chip) {
            id = chip->product;
        } else {
            id = Hex16(product);
            if (!id || *id == 0) {
                return Fail(FtdiUrlError::BadProduct, url,
                            "the product \"" + fields[1] +
                                "\" is neither 232r, 232h, 2232h, 4232h nor a hexadecimal USB product id.");
            }
            if (address.vendor == kFtdiVendorId) {
                chip = ChipByProduct(*id);
            }
        }
        address.product = id;
    }

    if (fields.size() > 2) {
        const std::string& serial = fields[2];
        const bool plain = std::all_of(serial.begin(), serial.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '-' || c == '_' || c == '.';
        });
        if (!plain) {
            return Fail(FtdiUrlError::BadSerial, url,
                        "the serial number \"" + serial + "\" has characters other than letters and digits.");
        }
        address.serial = serial;
    }

    if (!interfaceText.empty()) {
        const bool digits = interfaceText.size() <= 2 &&
                            std::all_of(interfaceText.begin(), interfaceText.end(),
                                        [](unsigned char c) { return std::isdigit(c); });
        const int number = digits ? std::stoi(interfaceText) : 0;
        const int most = chip ? chip->interfaces : kMostInterfaces;
        if (number < 1 || number > most) {
            std::string why = "the interface \"" + interfaceText + "\" is not ";
            if (most == 1) {
                why += "1; the " + std::string(chip->name) + " has one interface.";
            } else {
                why += "a number from 1 (A) to " + std::to_string(most) + ".";
            }
            return Fail(FtdiUrlError::BadInterface, url, why);
        }
        address.interface = number;
    }
    if (address.interface != 1) {
        const std::string letter(1, static_cast<char>('A' + address.interface - 1));
        const std::string which = chip ? std::string(chip->name) : std::string("an FT2232H or FT4232H");
        return Fail(FtdiUrlError::UnsupportedInterface, url,
                    "interface " + std::to_string(address.interface) + " (" + letter +
                        ") cannot drive the board; only interface 1 (A) of " + which + " is supported.");
    }
    return result;
}
