// Dispatching dsactl's subcommands, the overall help and the version.
#include "cli/Dsactl.h"

#include "cli/Commands.h"
#include "cli/Output.h"
#include "core/ExitStatus.h"
#include "core/Version.h"

namespace {

struct CommandEntry {
    const char* name;
    Subcommand (*declare)();
    int (*run)(const QStringList&);
    const char* summary;
};

const CommandEntry kCommands[] = {
    {"models", DeclareModels, RunModels,
     "list the models, with position, key, interface, steps, range"},
    {"ports", DeclarePorts, RunPorts,
     "list the parallel ports and FTDI adapters, and whether you can use them now"},
    {"set", DeclareSet, RunSet, "load one attenuation, step list or control word"},
    {"sweep", DeclareSweep, RunSweep, "step from one attenuation to another on a timed schedule"},
    {"hop", DeclareHop, RunHop, "hop through a list of attenuations on a timed schedule"},
    {"serve", DeclareServe, RunServeCommand, "run the instrument server (SCPI over TCP)"},
};

QString OverallHelp() {
    QString text = QStringLiteral(
        "Usage: dsactl [--simulate | --adapter URL] [--port HEX] <command> [options]\n"
        "Drives a digital step attenuator on a parallel-port test board without the window.\n"
        "\n"
        "Commands:\n");
    for (const CommandEntry& entry : kCommands) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(QLatin1String(entry.name), -7)
                    .arg(QLatin1String(entry.summary));
    }
    text += QStringLiteral(
        "\n"
        "Options before or after the command's name:\n"
        "  --simulate   drive the simulated board instead of a parallel port\n"
        "  --adapter URL  drive the board through an FTDI USB adapter in bit-bang mode,\n"
        "               such as ftdi://ftdi:232h/1 (see 'dsactl ports'), for set, sweep,\n"
        "               hop and serve\n"
        "  --port HEX   printer-port base address in hex, for set, sweep, hop and serve\n"
        "               (default: IOaddress.001 in the current folder; 378 with\n"
        "               --simulate or --adapter)\n"
        "  -h, --help   show help (after a command: that command's help)\n"
        "  --version    show the version\n"
        "\n"
        "Models are named by list position (1 to 28, counted from 1) or key.\n"
        "Exit status: 0 success, 3 a sweep or hop step later than --max-late, 64 bad\n"
        "usage, 65 a value the model cannot make or out of range, 69 port not there,\n"
        "74 a write never verified, 75 port busy, 77 no permission.\n"
        "Run 'dsactl <command> --help' for a command's options.");
    return text;
}

// Whether `argument` is an option of any subcommand that takes a value, so
// that a value standing in front of the subcommand's name is not taken for
// the name. An option the subcommand itself does not take is then refused by
// its own parser, by name.
bool TakesValue(const QString& argument) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.declare().TakesValue(argument)) {
            return true;
        }
    }
    return false;
}

} // namespace

int RunDsactl(const QStringList& arguments) {
    const QStringList rest = arguments.mid(1);
    qsizetype commandAt = -1;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (!rest[i].startsWith(QLatin1Char('-'))) {
            commandAt = i;
            break;
        }
        if (TakesValue(rest[i])) {
            ++i;
        }
    }
    if (commandAt < 0) {
        if (rest.contains(QStringLiteral("--version"))) {
            PrintLine(QStringLiteral("dsactl " DSA_VERSION));
            return kExitOk;
        }
        if (rest.contains(QStringLiteral("--help")) || rest.contains(QStringLiteral("-h"))) {
            PrintLine(OverallHelp());
            return kExitOk;
        }
        PrintError(QStringLiteral("dsactl: no command given. Run 'dsactl --help' for the list "
                                  "(models, ports, set, sweep, hop, serve)."));
        return kExitUsage;
    }
    const QString name = rest[commandAt];
    QStringList commandArguments = rest;
    commandArguments.removeAt(commandAt);
    for (const CommandEntry& entry : kCommands) {
        if (name == QLatin1String(entry.name)) {
            try {
                return entry.run(commandArguments);
            } catch (const CommandFailure& failure) {
                PrintError(QStringLiteral("dsactl %1: %2").arg(name, failure.message));
                return failure.status;
            }
        }
    }
    PrintError(QStringLiteral("dsactl: unknown command '%1'. Run 'dsactl --help' for the list "
                              "(models, ports, set, sweep, hop, serve).")
                   .arg(name));
    return kExitUsage;
}
