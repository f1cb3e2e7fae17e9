// An FTDI adapter standing in for a parallel port's data lines; see FtdiAdapterPort.h.
#include "port/FtdiAdapterPort.h"

#include <utility>

#include "port/FtdiBatch.h"

namespace {

bool Matches(const FtdiAddress& address, const FtdiAdapterInfo& adapter) {
    return adapter.vendor == address.vendor &&
           (!address.product || *address.product == adapter.product) &&
           (address.serial.empty() || address.serial == adapter.serial);
}

std::string UrlOf(const FtdiAdapterInfo& adapter) {
    std::string url = FtdiUrlOf(adapter.vendor, adapter.product, adapter.serial);
    const std::string chip = FtdiChipName(adapter.product);
    return chip.empty() ? url : url + " (" + chip + ")";
}

std::string Listing(const std::vector<FtdiAdapterInfo>& adapters) {
    std::string text;
    for (const FtdiAdapterInfo& adapter : adapters) {
        text += (text.empty() ? "" : ", ") + UrlOf(adapter);
    }
    return text;
}

} // namespace

FtdiAdapterPort::FtdiAdapterPort(std::string url, DeviceMaker makeDevice)
    : url_(std::move(url)), makeDevice_(std::move(makeDevice)) {}

FtdiAdapterPort::~FtdiAdapterPort() {
    if (device_) {
        device_->Close();
    }
}

bool FtdiAdapterPort::ListAdapters(bool probe, std::vector<FtdiAdapterInfo>& adapters) {
    // A listing opens nothing for good: the open adapter is listed as it is.
    std::unique_ptr<FtdiDevice> lister = makeDevice_();
    if (lister->List(probe, adapters) != FtdiStatus::Ok) {
        reason_ = "The USB adapters could not be listed: " + lister->ErrorText();
        return false;
    }
    return true;
}

void FtdiAdapterPort::Unusable(PortProblem problem, std::string reason) {
    problem_ = problem;
    reason_ = std::move(reason);
}

bool FtdiAdapterPort::EnsureOpen() {
    if (open_) {
        return true;
    }
    const FtdiUrlResult parsed = ParseFtdiUrl(url_);
    if (!parsed.Ok()) {
        Unusable(PortProblem::Other, parsed.message);
        return false;
    }
    std::vector<FtdiAdapterInfo> adapters;
    if (!ListAdapters(false, adapters)) {
        problem_ = PortProblem::Other;
        return false;
    }
    std::vector<FtdiAdapterInfo> matching;
    for (const FtdiAdapterInfo& adapter : adapters) {
        if (Matches(parsed.address, adapter)) {
            matching.push_back(adapter);
        }
    }
    if (matching.empty()) {
        Unusable(PortProblem::NoDevice,
                 adapters.empty()
                     ? "No FTDI adapter is plugged in (looked for " + url_ +
                           "). Plug the adapter in and try again."
                     : "No FTDI adapter matches " + url_ + ". Plugged in: " + Listing(adapters) +
                           "; give one of these addresses.");
        return false;
    }
    if (matching.size() > 1) {
        Unusable(PortProblem::Other, url_ + " matches " + std::to_string(matching.size()) +
                                         " adapters: " + Listing(matching) +
                                         ". Name one by its serial number.");
        return false;
    }
    const FtdiAdapterInfo& adapter = matching.front();
    FtdiAddress exact = parsed.address;
    exact.product = adapter.product;
    exact.serial = adapter.serial;
    device_ = makeDevice_();
    FtdiStatus status = device_->Open(exact);
    if (status == FtdiStatus::Ok) {
        status = device_->SetSyncBitBang();
    }
    if (status == FtdiStatus::Ok) {
        status = device_->SetBaudRate(kFtdiBitBangBaud);
    }
    if (status == FtdiStatus::Ok) {
        status = device_->Purge();
    }
    if (status != FtdiStatus::Ok) {
        const std::string detail = device_->ErrorText();
        device_->Close();
        device_.reset();
        const std::string where = " (USB bus " + std::to_string(adapter.bus) + " device " +
                                  std::to_string(adapter.address) + ")";
        switch (status) {
        case FtdiStatus::NoPermission:
            Unusable(PortProblem::NoPermission,
                     "This user may not open the FTDI adapter " + url_ + where +
                         ". Install the digital-step-attenuator package, whose udev rule lets the "
                         "logged-in user open FTDI adapters, then unplug the adapter and plug it "
                         "in again.");
            break;
        case FtdiStatus::Busy:
            Unusable(PortProblem::Busy, "The FTDI adapter " + url_ + where +
                                            " is held by another program. Close that program "
                                            "and try again.");
            break;
        case FtdiStatus::NoDevice:
            Unusable(PortProblem::NoDevice, "The FTDI adapter " + url_ +
                                                " went away while it was being opened. Plug it "
                                                "in again.");
            break;
        case FtdiStatus::Ok:
        case FtdiStatus::Failed:
            Unusable(PortProblem::Other,
                     "The FTDI adapter " + url_ + where + " could not be set up: " + detail);
            break;
        }
        return false;
    }
    open_ = true;
    haveReadBack_ = false;
    problem_ = PortProblem::None;
    reason_.clear();
    return true;
}

PortStatus FtdiAdapterPort::AfterFailure(FtdiStatus status, const std::string& detail) {
    if (status == FtdiStatus::Failed) {
        return PortStatus::AccessError;
    }
    if (status == FtdiStatus::NoDevice) {
        // Opened again, from the start, at the next access.
        device_->Close();
        device_.reset();
        open_ = false;
        Unusable(PortProblem::NoDevice, "The FTDI adapter " + url_ +
                                            " is gone (unplugged?). Plug it in again; it is "
                                            "opened again at the next Load.");
        return PortStatus::Unavailable;
    }
    Unusable(PortProblemOf(status), "The FTDI adapter " + url_ + " cannot be used: " + detail);
    return PortStatus::Unavailable;
}

PortStatus FtdiAdapterPort::CheckBase(int32_t base) {
    base_ = base;
    return EnsureOpen() ? PortStatus::Ok : PortStatus::Unavailable;
}

PortStatus FtdiAdapterPort::Out32(int32_t port, uint8_t value) {
    if (!IsData(port)) {
        return PortStatus::Ok;
    }
    if (!EnsureOpen()) {
        return PortStatus::Unavailable;
    }
    // The byte and a repeat of it, whose sample is the byte's own read-back.
    const std::vector<uint8_t> bytes{value, value};
    std::size_t written = 0;
    FtdiStatus status = device_->Write(bytes, written);
    std::vector<uint8_t> echo;
    if (status == FtdiStatus::Ok) {
        status = device_->Read(bytes.size(), echo);
    }
    if (status != FtdiStatus::Ok) {
        return AfterFailure(status, device_->ErrorText());
    }
    if (written != bytes.size() || echo.size() != bytes.size()) {
        // Echoes of this write must not be read as the next one's.
        device_->Purge();
        return PortStatus::AccessError;
    }
    readBack_ = echo[1];
    haveReadBack_ = true;
    return PortStatus::Ok;
}

PortStatus FtdiAdapterPort::Inp32(int32_t port, uint8_t& value) {
    value = 0;
    if (!IsData(port)) {
        return PortStatus::Ok;
    }
    if (!EnsureOpen()) {
        return PortStatus::Unavailable;
    }
    if (haveReadBack_) {
        value = readBack_;
        haveReadBack_ = false;
        return PortStatus::Ok;
    }
    const FtdiStatus status = device_->ReadPins(value);
    return status == FtdiStatus::Ok ? PortStatus::Ok : AfterFailure(status, device_->ErrorText());
}

PortBatchOutcome FtdiAdapterPort::SendBatch(int32_t base, const std::vector<uint8_t>& body,
                                            const std::vector<uint8_t>& latch) {
    base_ = base;
    lastUsbWrites_ = 0;
    if (!EnsureOpen()) {
        return {PortStatus::Unavailable, false, false};
    }
    haveReadBack_ = false;
    const FtdiBatchResult result = SendVerified(*device_, body, latch);
    lastUsbWrites_ = result.usbWrites;
    switch (result.problem) {
    case PortProblem::NoDevice:
        return {AfterFailure(FtdiStatus::NoDevice, result.reason), false, false};
    case PortProblem::Busy:
        return {AfterFailure(FtdiStatus::Busy, result.reason), false, false};
    case PortProblem::NoPermission:
        return {AfterFailure(FtdiStatus::NoPermission, result.reason), false, false};
    case PortProblem::None:
    case PortProblem::NotListed:
    case PortProblem::Other:
        break;
    }
    return {PortStatus::Ok, result.verified, result.latched};
}

std::string FtdiAdapterPort::UnavailableReason(int32_t) const {
    return reason_;
}

PortProblem FtdiAdapterPort::UnavailableProblem(int32_t) const {
    return problem_;
}
