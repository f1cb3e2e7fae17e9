#include "server/CommandTable.h"

using namespace scpi;

namespace {

std::vector<CommandTable::Command::Node> ParsePattern(const char* pattern) {
    std::vector<CommandTable::Command::Node> nodes;
    QByteArray text(pattern);
    bool optional = false;
    QByteArray mnemonic;
    auto flush = [&] {
        if (!mnemonic.isEmpty()) {
            nodes.push_back({Mnemonic(mnemonic), optional});
            mnemonic.clear();
        }
    };
    for (const char c : text) {
        if (c == '[') {
            flush();
            optional = true;
        } else if (c == ']') {
            flush();
            optional = false;
        } else if (c == ':') {
            flush();
        } else {
            mnemonic.append(c);
        }
    }
    flush();
    return nodes;
}

bool MatchNodes(const QList<QByteArray>& typed, qsizetype i,
                const std::vector<CommandTable::Command::Node>& pattern, std::size_t j) {
    if (j == pattern.size()) {
        return i == typed.size();
    }
    if (i < typed.size() && pattern[j].mnemonic.Matches(typed[i]) &&
        MatchNodes(typed, i + 1, pattern, j + 1)) {
        return true;
    }
    return pattern[j].optional && MatchNodes(typed, i, pattern, j + 1);
}

} // namespace

void CommandTable::Append(const char* pattern, Form form, std::function<void(CommandCall&)> run) {
    commands_.push_back({form, pattern[0] == '*', ParsePattern(pattern), std::move(run)});
}

const CommandTable::Command* CommandTable::Find(const MessageUnit& unit,
                                                QList<QByteArray>& path) const {
    const Command* command = nullptr;
    QList<QByteArray> nodes = unit.nodes;
    if (!unit.common && !unit.absolute && !path.isEmpty()) {
        command = Match(path + unit.nodes, false, unit.query);
        if (command != nullptr) {
            nodes = path + unit.nodes;
        }
    }
    if (command == nullptr) {
        command = Match(unit.nodes, unit.common, unit.query);
    }
    if (command != nullptr && !unit.common) {
        path = nodes.mid(0, nodes.size() - 1);
    }
    return command;
}

const CommandTable::Command* CommandTable::Match(const QList<QByteArray>& nodes, bool common,
                                                 bool query) const {
    for (const Command& command : commands_) {
        if ((command.form == Form::Query) != query || command.common != common) {
            continue;
        }
        if (MatchNodes(nodes, 0, command.nodes, 0)) {
            return &command;
        }
    }
    return nullptr;
}
