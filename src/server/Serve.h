#pragma once
// `dsactl serve`: the SCPI instrument server on a TCP socket.

#include <QStringList>

// Runs the server with the arguments that follow the word "serve"
// (--listen ADDR:PORT, --simulate, --port HEX, --nearest, --help) until
// SIGINT, SIGTERM or SIGHUP. Returns the exit status: 0 after a clean stop, 64
// for bad usage, 69/75/77 when the listening address cannot be used.
int RunServe(const QStringList& arguments);
