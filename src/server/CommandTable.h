#pragma once
// Which handler runs a program message unit. Each command subsystem
// (CommonCommands, BoardCommands, SweepCommands) adds its rows: a header
// pattern with each node's short form in capitals and [:OPTional] nodes
// ("SYSTem:ERRor[:NEXT]"), whether it is a query, and its handler.

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <functional>
#include <vector>

#include "server/ScpiSyntax.h"

struct CommandCall;

class CommandTable {
public:
    enum class Form {
        Query,
        Command, // a command that runs while a sweep does too
        Setting, // a command refused with -221 while a sweep runs
    };

    // A row as a subsystem writes it.
    template <typename Owner> struct Row {
        const char* pattern;
        Form form;
        void (Owner::*run)(CommandCall&);
    };

    // A row as the table keeps it.
    struct Command {
        struct Node {
            scpi::Mnemonic mnemonic;
            bool optional = false;
        };
        bool query;
        bool setting; // Form::Setting
        bool common;  // a "*" command
        std::vector<Node> nodes;
        std::function<void(CommandCall&)> run;
    };

    // Appends `rows`, whose handlers run on `owner`. Where two rows match a
    // header, the one added first runs.
    template <typename Owner, std::size_t Count>
    void Add(Owner& owner, const Row<Owner> (&rows)[Count]) {
        for (const Row<Owner>& row : rows) {
            Append(row.pattern, row.form,
                   [&owner, run = row.run](CommandCall& call) { (owner.*run)(call); });
        }
    }

    // The command of `unit`, or nullptr. After a command, a header without a
    // leading ":" is looked up below the same node first ("SWE:STAR 1;STOP
    // 10"), then from the root: `path` is that node, kept from one unit of a
    // line to the next (empty at the start of a line).
    const Command* Find(const scpi::MessageUnit& unit, QList<QByteArray>& path) const;

private:
    void Append(const char* pattern, Form form, std::function<void(CommandCall&)> run);
    const Command* Match(const QList<QByteArray>& nodes, bool common, bool query) const;

    std::vector<Command> commands_;
};
