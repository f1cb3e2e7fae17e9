// The rule for the port a command drives.
#include "core/PortChoice.h"

#include "core/AddressFile.h"
#include "core/Board.h"
#include "core/HexAddress.h"

namespace {

PortChoice FromText(const QString& text, bool fromFile) {
    PortChoice choice;
    choice.text = text;
    choice.fromFile = fromFile;
    const std::optional<int32_t> address = ParseHexAddress(text);
    if (!address) {
        choice.outcome = PortChoice::Outcome::NotHex;
        return choice;
    }
    choice.port = *address;
    choice.outcome = Board::PortConfigured(*address) ? PortChoice::Outcome::Port
                                                     : PortChoice::Outcome::SetsNoPort;
    return choice;
}

} // namespace

PortChoice ChoosePort(const std::optional<QString>& given, Transport transport, const QString& dir) {
    const bool simulate = transport == Transport::Simulated;
    if (given) {
        PortChoice choice = FromText(*given, false);
        if (simulate && choice.outcome == PortChoice::Outcome::Port &&
            choice.port != Board::SimulatedBase()) {
            choice.outcome = PortChoice::Outcome::NotSimulatedBoard;
        }
        return choice;
    }
    PortChoice choice;
    if (simulate) {
        choice.outcome = PortChoice::Outcome::Port;
        choice.port = Board::DefaultBase(transport);
        return choice;
    }
    const AddressFileContent file = ReadAddressFile(dir);
    switch (file.kind) {
    case AddressFileContent::Kind::Field:
        return FromText(file.field, true);
    case AddressFileContent::Kind::TooLong:
        choice.outcome = PortChoice::Outcome::FileTooLong;
        choice.fromFile = true;
        return choice;
    case AddressFileContent::Kind::Empty:
    case AddressFileContent::Kind::Missing:
        break;
    }
    if (Board::DefaultBase(transport) != 0) {
        choice.outcome = PortChoice::Outcome::Port;
        choice.port = Board::DefaultBase(transport);
    }
    return choice;
}
