#pragma once
// Which port a command drives: the address given with the command, else the
// one in the address file "IOaddress.001" of the current folder, else none;
// with the simulated board, its own base; through an adapter, which answers at
// any address, the board's usual base when nothing else names one. The rule every command-line
// subcommand follows; what the outcome means to the user is the front end's.

#include <QString>
#include <cstdint>
#include <optional>

enum class Transport;

struct PortChoice {
    enum class Outcome {
        Port,              // `port` is the address to drive
        NoneGiven,         // no address given and no address in the file
        NotHex,            // `text` is not a hexadecimal address
        SetsNoPort,        // `text` is an address of 64 hex or less: no port
        FileTooLong,       // the address file's first field is too long to count
        NotSimulatedBoard, // the simulated board does not answer at `port`
    };
    Outcome outcome = Outcome::NoneGiven;
    int32_t port = 0;
    // The text the address was read from, as given or as the file holds it.
    QString text;
    // Whether that text came from the address file.
    bool fromFile = false;
};

// `given`: the address the user gave (--port), if any, for the board on
// `transport`. The address file is read from `dir` (by default the current
// folder) only when no address was given and nothing is simulated.
PortChoice ChoosePort(const std::optional<QString>& given, Transport transport,
                      const QString& dir = QString());
