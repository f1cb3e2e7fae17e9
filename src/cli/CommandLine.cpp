// Parsing a subcommand's options with QCommandLineParser, and its help text.
#include "cli/CommandLine.h"

#include "cli/Output.h"
#include "core/Board.h"
#include "core/ExitStatus.h"

QString OptionText(const QString& name) {
    return QStringLiteral("--") + name;
}

QString CommandTitle(const QString& name) {
    return QStringLiteral("dsactl ") + name;
}

Subcommand::Subcommand(const QString& name, const QString& synopsis, const QString& description,
                       bool takesPort)
    : name_(name), synopsis_(synopsis), takesPort_(takesPort),
      parser_(std::make_unique<QCommandLineParser>()) {
    parser_->setApplicationDescription(description);
    parser_->setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddOption({{QStringLiteral("h"), QStringLiteral("help")},
               QStringLiteral("Show this help and exit.")});
    AddOption({QStringLiteral("simulate"),
               QStringLiteral("Drive the simulated board (no hardware, no root, no /dev "
                              "access) instead of a parallel port.")});
    if (takesPort_) {
        AddOption(
            {QStringLiteral("port"),
             QStringLiteral("Printer-port base address in hex, e.g. 378. Default: the address in "
                            "IOaddress.001 of the current folder; 378 with --simulate or "
                            "--adapter."),
             QStringLiteral("HEX")});
        AddOption({QStringLiteral("adapter"),
                   QStringLiteral("Drive the board through an FTDI USB adapter in bit-bang mode "
                                  "(its pins AD0 to AD7 as D0 to D7) instead of a parallel port: "
                                  "ftdi://ftdi:232h/1, ftdi://0403:6014/1, ftdi://::SERIAL/1. "
                                  "'dsactl ports' lists the adapters. It answers at any --port "
                                  "address."),
                   QStringLiteral("URL")});
    }
}

void Subcommand::AddOption(const QCommandLineOption& option) {
    parser_->addOption(option);
    if (!option.valueName().isEmpty()) {
        valueOptions_ << option.names();
    }
}

bool Subcommand::TakesValue(const QString& argument) const {
    for (const QString& name : valueOptions_) {
        if (argument == QStringLiteral("--") + name || argument == QStringLiteral("-") + name) {
            return true;
        }
    }
    return false;
}

bool Subcommand::Parse(const QStringList& arguments) {
    // QCommandLineParser takes the first element as the program's name.
    if (!parser_->parse(QStringList{CommandTitle(name_)} + arguments)) {
        QString error = parser_->errorText();
        if (!error.endsWith(QLatin1Char('.'))) {
            error += QLatin1Char('.');
        }
        throw CommandFailure{kExitUsage, error + QStringLiteral(" Run '") + CommandTitle(name_) +
                                             QStringLiteral(" --help'.")};
    }
    if (parser_->isSet(QStringLiteral("help"))) {
        PrintLine(HelpText());
        return false;
    }
    if (!parser_->positionalArguments().isEmpty()) {
        throw CommandFailure{
            kExitUsage, QStringLiteral("unexpected argument '%1'. Run '%2 --help'.")
                            .arg(parser_->positionalArguments().constFirst(), CommandTitle(name_))};
    }
    return true;
}

std::optional<QString> Subcommand::Value(const QString& name) const {
    if (!parser_->isSet(name)) {
        return std::nullopt;
    }
    return parser_->value(name);
}

GlobalOptions Subcommand::Globals() const {
    GlobalOptions globals;
    globals.simulate = parser_->isSet(QStringLiteral("simulate"));
    if (takesPort_) {
        globals.port = Value(QStringLiteral("port"));
        globals.adapter = Value(QStringLiteral("adapter")).value_or(QString());
    }
    if (takesPort_ && parser_->isSet(QStringLiteral("adapter"))) {
        if (globals.simulate) {
            throw CommandFailure{kExitUsage,
                                 QStringLiteral("give --adapter or --simulate, not both: the "
                                                "simulated board needs no adapter.")};
        }
        const std::string problem = AdapterUrlProblem(globals.adapter.toStdString());
        if (!problem.empty()) {
            throw CommandFailure{kExitUsage, QStringLiteral("--adapter: %1")
                                                 .arg(QString::fromStdString(problem))};
        }
    }
    return globals;
}

void Subcommand::RequireOneOf(const QStringList& names, bool required) const {
    QStringList given;
    QStringList all;
    for (const QString& name : names) {
        all << OptionText(name);
        if (parser_->isSet(name)) {
            given << OptionText(name);
        }
    }
    if (given.size() > 1) {
        throw CommandFailure{kExitUsage, QStringLiteral("give only one of %1, not %2.")
                                             .arg(all.join(QStringLiteral(", ")),
                                                  given.join(QStringLiteral(" and ")))};
    }
    if (required && given.isEmpty()) {
        throw CommandFailure{kExitUsage,
                             QStringLiteral("give one of %1. Run '%2 --help'.")
                                 .arg(all.join(QStringLiteral(", ")), CommandTitle(name_))};
    }
}

QString Subcommand::Required(const QString& name) const {
    if (!parser_->isSet(name)) {
        throw CommandFailure{kExitUsage, QStringLiteral("%1 is required. Run '%2 --help'.")
                                             .arg(OptionText(name), CommandTitle(name_))};
    }
    return parser_->value(name);
}

QString Subcommand::HelpText() const {
    // Qt's usage line names the program by its path; ours names the subcommand.
    QString text = parser_->helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    text.replace(0, firstLineEnd,
                 QStringLiteral("Usage: ") + CommandTitle(name_) + QLatin1Char(' ') + synopsis_);
    return text.trimmed();
}
