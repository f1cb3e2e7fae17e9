#pragma once
// `dsactl serve`: the SCPI instrument server on a TCP socket.

#include <QByteArray>
#include <QHostAddress>
#include <cstdint>

#include "core/Board.h"
#include "server/PowerUp.h"

struct ServeSettings {
    // Where the server listens; port 0 picks a free one.
    QHostAddress address{QHostAddress::LocalHost};
    quint16 tcpPort = 5025;
    // The simulated board instead of a parallel port.
    bool simulate = false;
    // An FTDI adapter's ftdi:// address instead of a parallel port; empty for none.
    QString adapter;
    // Where the kernel's parallel ports are listed (the transport follows
    // `simulate` and `adapter`).
    BoardRequest board;
    // The port's base address the instrument starts with; 0 for none yet (a
    // client sets one with SYSTem:PORT).
    int32_t port = 0;
    // Values the model cannot make are set to the nearest it can make.
    bool nearest = false;
    // SCPI run when a signal stops the server (parking every line, say); empty
    // for none.
    QByteArray onExit;
    // What is loaded at start (--power-up).
    PowerUpSetting powerUp;
};

// Runs the server until SIGINT, SIGTERM or SIGHUP. Returns the exit status: 0
// after a clean stop, 69/75/77 when the listening address cannot be used.
int RunServe(const ServeSettings& settings);
