// The board every front end drives, over the port layer; see Board.h.
#include "core/Board.h"

#include "core/SimulatedState.h"
#include "port/FtdiAdapterPort.h"
#include "port/FtdiUrl.h"
#include "port/PortAccess.h"
#include "port/PpdevPort.h"
#include "port/SimulatedParallelPort.h"
#include "port/Transfers.h"

const BoardState::Device& BoardState::SerialDevice(int le) const {
    return serial[le >= 1 && le <= 6 ? static_cast<std::size_t>(le) : 0];
}

BoardState StateOf(const BoardDecoder& decoder) {
    BoardState state;
    state.lines = decoder.Lines();
    for (int le = 1; le <= 6; ++le) {
        const BoardDecoder::Latched& device = decoder.SerialDevice(le);
        state.serial[static_cast<std::size_t>(le)] = {device.value, device.loads};
    }
    state.parallel = {decoder.ParallelDevice().value, decoder.ParallelDevice().loads};
    return state;
}

SimulatedBoard* SimulatedBoardOf(Board& board) {
    return board.simulated_;
}

std::string AdapterUrlProblem(const std::string& url) {
    const FtdiUrlResult parsed = ParseFtdiUrl(url);
    return parsed.Ok() ? std::string() : parsed.message;
}

bool LooksLikeAdapterUrl(const std::string& text) {
    return text.rfind("ftdi://", 0) == 0;
}

std::unique_ptr<PortIo> Board::BackendFor(const BoardRequest& request) {
    switch (request.transport) {
    case Transport::Simulated:
        return std::make_unique<SimulatedParallelPort>(kSimulatedBoardBase);
    case Transport::FtdiAdapter:
        return std::make_unique<FtdiAdapterPort>(request.adapterUrl);
    case Transport::ParallelPort:
        break;
    }
    return std::make_unique<PpdevPort>(request.parportRoot, request.deviceDir);
}

std::unique_ptr<Board> Board::Open(const BoardRequest& request, UserNotifier& notifier) {
    std::unique_ptr<PortIo> io = BackendFor(request);
    PortIo& backend = *io;
    std::unique_ptr<Board> board(new Board(std::move(io), backend, notifier));
    board->request_ = request;
    return board;
}

Board::Board(PortIo& io, UserNotifier& notifier) : Board(nullptr, io, notifier) {}

Board::Board(std::unique_ptr<PortIo> owned, PortIo& io, UserNotifier& notifier)
    : owned_(std::move(owned)), io_(&io), notifier_(notifier) {
    Attach(io);
}

void Board::Attach(PortIo& io) {
    io_ = &io;
    access_ = std::make_unique<PortAccess>(io, notifier_);
    simulated_ = nullptr;
    simulatedBase_ = 0;
    if (auto* port = dynamic_cast<SimulatedParallelPort*>(io_)) {
        simulated_ = &port->Board();
        simulatedBase_ = port->Base();
    } else if (auto* board = dynamic_cast<SimulatedBoard*>(io_)) {
        simulated_ = board;
        simulatedBase_ = board->DataPort();
    }
    ppdev_ = dynamic_cast<PpdevPort*>(io_);
    adapter_ = dynamic_cast<FtdiAdapterPort*>(io_);
}

void Board::Retarget(const BoardRequest& request) {
    std::unique_ptr<PortIo> io = BackendFor(request);
    // The new backend is in place before the old one (and the port or the
    // adapter it holds) goes.
    PortIo& backend = *io;
    Attach(backend);
    owned_ = std::move(io);
    request_ = request;
}

std::string Board::AdapterUrl() const {
    return adapter_ != nullptr ? adapter_->Url() : std::string();
}

int Board::LastUsbWrites() const {
    return adapter_ != nullptr ? adapter_->LastUsbWrites() : 0;
}

bool Board::Adapters(std::vector<ListedAdapter>& adapters, std::string& failure) {
    adapters.clear();
    FtdiAdapterPort lister("ftdi://");
    std::vector<FtdiAdapterInfo> found;
    if (!lister.ListAdapters(true, found)) {
        failure = lister.ListFailure();
        return false;
    }
    for (const FtdiAdapterInfo& info : found) {
        ListedAdapter adapter;
        adapter.url = FtdiUrlOf(info.vendor, info.product, info.serial);
        adapter.chip = FtdiChipName(info.product);
        adapter.serial = info.serial;
        adapter.description = info.description;
        adapter.bus = info.bus;
        adapter.address = info.address;
        adapter.usable = info.status == FtdiStatus::Ok;
        switch (info.status) {
        case FtdiStatus::Ok:
            break;
        case FtdiStatus::NoPermission:
            adapter.problem = PortProblem::NoPermission;
            adapter.reason = "this user may not open it (see the udev rule in the README)";
            break;
        case FtdiStatus::Busy:
            adapter.problem = PortProblem::Busy;
            adapter.reason = "another program holds it";
            break;
        case FtdiStatus::NoDevice:
            adapter.problem = PortProblem::NoDevice;
            adapter.reason = "it went away while it was tried";
            break;
        case FtdiStatus::Failed:
            adapter.problem = PortProblem::Other;
            adapter.reason = info.reason;
            break;
        }
        adapters.push_back(adapter);
    }
    return true;
}

Board::~Board() = default;

int16_t Board::WritePortVerified(int32_t base, int16_t value) {
    return access_->WritePortVerified(base, value);
}

int16_t Board::WritePortVerified(int32_t base, PortRegister reg, int16_t value) {
    return access_->WritePortVerified(base, reg, value);
}

LoadOutcome Board::Load(int32_t port, InterfaceClass interfaceClass, ControlWord word, int le) {
    const long unverifiedBefore = access_->UnverifiedWrites();
    LoadOutcome outcome;
    if (!PortAccess::PortConfigured(port)) {
        return outcome;
    }
    // One Load is one operation for the user: a read error that repeats on
    // every try is shown once.
    const PortAccess::Operation operation(*access_);
    if (interfaceClass == InterfaceClass::Parallel) {
        outcome.latched = SendParallelTransfer(*access_, port, word);
    } else {
        outcome.latched = SendSerialWord(*access_, port, word, static_cast<int16_t>(le));
    }
    outcome.verified = outcome.latched && access_->UnverifiedWrites() == unverifiedBefore;
    return outcome;
}

bool Board::PortUnavailable(int32_t base) const {
    return access_->PortUnavailable(base);
}

PortProblem Board::ProblemOf(int32_t base) const {
    return access_->ProblemOf(base);
}

std::string Board::ReasonOf(int32_t base) const {
    return access_->ReasonOf(base);
}

bool Board::PortConfigured(int32_t port) {
    return PortAccess::PortConfigured(port);
}

std::vector<int32_t> Board::ListedBases() const {
    std::vector<int32_t> bases;
    if (ppdev_ != nullptr) {
        for (const ParportInfo& info : ppdev_->Ports()) {
            bases.push_back(info.base);
        }
    }
    return bases;
}

std::vector<ListedPort> Board::Ports() const {
    std::vector<ListedPort> ports;
    if (simulated_ != nullptr) {
        ListedPort port;
        port.base = simulatedBase_;
        port.device = "simulated";
        port.usable = true;
        ports.push_back(port);
        return ports;
    }
    if (ppdev_ == nullptr) {
        return ports;
    }
    for (const ParportInfo& info : DiscoverParports(request_.parportRoot)) {
        ListedPort port;
        port.base = info.base;
        port.device = request_.deviceDir + "/parport" + std::to_string(info.number);
        // Opened and claimed on its own, as a Load would.
        PpdevPort probe(request_.parportRoot, request_.deviceDir);
        uint8_t value = 0;
        switch (probe.Inp32(info.base, value)) {
        case PortStatus::Ok:
            port.usable = true;
            break;
        case PortStatus::AccessError:
            port.readFailed = true;
            port.problem = PortProblem::Other;
            break;
        case PortStatus::Unavailable:
            port.problem = probe.UnavailableProblem(info.base);
            port.reason = probe.UnavailableReason(info.base);
            break;
        }
        ports.push_back(port);
    }
    return ports;
}

int32_t Board::DefaultBase(Transport transport) {
    return transport == Transport::ParallelPort ? 0 : kSimulatedBoardBase;
}

int32_t Board::SimulatedBase() {
    return kSimulatedBoardBase;
}

BoardState Board::SimulatedState() const {
    return simulated_ != nullptr ? StateOf(simulated_->Decoder()) : BoardState{};
}

void Board::ForgetSimulatedAccesses() {
    if (simulated_ != nullptr) {
        simulated_->ClearLog();
    }
}

void Board::OnSimulatedWrite(std::function<void()> observer) {
    if (simulated_ == nullptr) {
        return;
    }
    if (!observer) {
        simulated_->SetWriteObserver({});
        return;
    }
    simulated_->SetWriteObserver(
        [observer = std::move(observer)](const SimulatedBoard::Access&) { observer(); });
}
