#pragma once
// The command line of one dsactl subcommand: its options, the options every
// subcommand shares (--simulate, --adapter, --port, --help), which may stand before or
// after the subcommand's name, and its help text.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct GlobalOptions {
    bool simulate = false;
    std::optional<QString> port; // the text given with --port
    // The FTDI adapter given with --adapter, checked; empty for none.
    QString adapter;
};

class Subcommand {
public:
    // `synopsis` follows "Usage: dsactl <name> " in the help text. `takesPort`:
    // whether --port applies to this subcommand.
    Subcommand(const QString& name, const QString& synopsis, const QString& description,
               bool takesPort);

    Subcommand(Subcommand&&) = default;
    Subcommand& operator=(Subcommand&&) = default;

    void AddOption(const QCommandLineOption& option);

    // Whether `argument` is one of this subcommand's options that take a value
    // ("--port", or "-port" as Qt's single-dash form), so that dsactl can tell
    // such a value in front of the subcommand's name from the name.
    bool TakesValue(const QString& argument) const;

    // Parses the arguments that followed the subcommand's name (and the shared
    // options that stood in front of it). False when --help was given: the help
    // is then printed and the command ends with status 0. Throws CommandFailure
    // (bad usage) for an unknown option, a missing value or a stray argument.
    bool Parse(const QStringList& arguments);

    bool IsSet(const QString& name) const { return parser_->isSet(name); }
    // The option's value, or nullopt when it was not given.
    std::optional<QString> Value(const QString& name) const;
    // Throws CommandFailure (bad usage) for --adapter with --simulate or an
    // adapter address that is not one.
    GlobalOptions Globals() const;
    const QString& Name() const { return name_; }

    // Throws CommandFailure (bad usage) when more than one of `names` was given,
    // or, with `required`, none of them.
    void RequireOneOf(const QStringList& names, bool required) const;
    // Throws CommandFailure (bad usage) when option `name` was not given.
    QString Required(const QString& name) const;

private:
    QString HelpText() const;

    QString name_;
    QString synopsis_;
    bool takesPort_;
    std::unique_ptr<QCommandLineParser> parser_;
    // Names of the options that take a value.
    QStringList valueOptions_;
};

// "--name" as the user types it.
QString OptionText(const QString& name);
// The subcommand's name in a failure: "dsactl set".
QString CommandTitle(const QString& name);
