// dsactl serve: its command line and the port it starts with. The server
// itself lives in src/server/.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/PortChoice.h"
#include "cli/SharedOptions.h"
#include "core/ExitStatus.h"
#include "server/Serve.h"

namespace {

// "ADDR:PORT", an IPv6 address in brackets: "[::1]:5025".
bool ParseListen(const QString& text, QHostAddress& address, quint16& port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return false;
    }
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
    }
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok, 10);
    if (!ok || number > 65535 || !address.setAddress(host)) {
        return false;
    }
    port = static_cast<quint16>(number);
    return true;
}

// --power-up last|none|SCPI
void ApplyPowerUpOption(const Subcommand& command, ServeSettings& settings) {
    const std::optional<QString> text = command.Value(QStringLiteral("power-up"));
    if (!text) {
        return;
    }
    const std::optional<PowerUpSetting> setting = ParsePowerUp(*text);
    if (!setting) {
        throw CommandFailure{kExitUsage, QStringLiteral("--power-up takes last, none or one "
                                                        "line of SCPI commands.")};
    }
    settings.powerUp = *setting;
}

} // namespace

Subcommand DeclareServe() {
    Subcommand command(
        QStringLiteral("serve"), QStringLiteral("[--listen ADDR:PORT] [--nearest] [options]"),
        QStringLiteral("Serves the board as a SCPI instrument over a raw TCP socket, until "
                       "Ctrl+C, SIGTERM or SIGHUP. With --simulate, BOARD:LATChed? is among "
                       "the commands. Without a port (no --port, no IOaddress.001 here) it "
                       "starts all the same; a client sets one with SYSTem:PORT."),
        true);
    command.AddOption({QStringLiteral("listen"),
                       QStringLiteral("Address and TCP port to listen on (default "
                                      "127.0.0.1:5025). 0.0.0.0:5025 lets anyone who can reach "
                                      "this machine drive the board, without authentication. "
                                      "Port 0 picks a free one."),
                       QStringLiteral("ADDR:PORT")});
    command.AddOption({QStringLiteral("nearest"),
                       QStringLiteral("Set values the model cannot make to the nearest it can "
                                      "make (without it they are refused with error -222).")});
    command.AddOption({QStringLiteral("on-exit"),
                       QStringLiteral("SCPI to run when a signal stops the server, such as "
                                      "\"LE 1;ATT 31.5\" to park a line at its largest "
                                      "attenuation; what it ran and any error go to standard "
                                      "error."),
                       QStringLiteral("SCPI")});
    command.AddOption({QStringLiteral("power-up"),
                       QStringLiteral("What to load at start: none (the default), last (what "
                                      "was last loaded on each line, kept in the state file "
                                      "serve-state.json; see the manual) or a line of SCPI "
                                      "such as \"MOD 5;LE 3;ATT 31.5\". What it ran and any "
                                      "error go to standard error; the server starts all the "
                                      "same."),
                       QStringLiteral("last|none|SCPI")});
    AddRealTimeOption(command);
    return command;
}

int RunServeCommand(const QStringList& arguments) {
    Subcommand command = DeclareServe();
    if (!command.Parse(arguments)) {
        return 0;
    }
    ServeSettings settings;
    if (const std::optional<QString> listen = command.Value(QStringLiteral("listen"));
        listen && !ParseListen(*listen, settings.address, settings.tcpPort)) {
        throw CommandFailure{kExitUsage,
                             QStringLiteral("--listen takes ADDR:PORT, such as 127.0.0.1:5025, "
                                            "not '%1'.")
                                 .arg(*listen)};
    }
    const GlobalOptions globals = command.Globals();
    settings.simulate = globals.simulate;
    settings.adapter = globals.adapter;
    settings.board = CommandBoardRequest(globals);
    settings.port = CommandPortIfAny(globals).value_or(0);
    settings.nearest = command.IsSet(QStringLiteral("nearest"));
    if (const std::optional<QString> onExit = command.Value(QStringLiteral("on-exit"))) {
        if (onExit->isEmpty() || onExit->contains(QLatin1Char('\n'))) {
            throw CommandFailure{kExitUsage,
                                 QStringLiteral("--on-exit takes one line of SCPI commands.")};
        }
        settings.onExit = onExit->toUtf8();
    }
    ApplyPowerUpOption(command, settings);
    ApplyRealTimeOption(command);
    return RunServe(settings);
}
