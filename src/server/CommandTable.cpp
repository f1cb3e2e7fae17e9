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
    commands_.push_back({form == Form::Query, form == Form::Setting, pattern[0] == '*',
                         ParsePattern(pattern), std::move(run)});
}

const CommandTable::Command* CommandTable::Find(const MessageUnit& unit,
                                                QList<QByteArray>& path) const {
    if (!unit.common && !unit.absolute && !path.isEmpty()) {
        QList<QByteArray> below = path + unit.nodes;
        if (const Command* command = Match(below, false, unit.query)) {
            below.removeLast();
            path = std::move(below);
            return command;
        }
    }
    const Command* command = Match(unit.nodes, unit.common, unit.query);
    if (command != nullptr && !unit.common) {
        path = unit.nodes.mid(0, unit.nodes.size() - 1);
    }
    return command;
}

const CommandTable::Command* CommandTable::Match(const QList<QByteArray>& nodes, bool common,
                                                 bool query) const {
    for (const Command& command : commands_) {
        if (command.query != query || command.common != common) {
            continue;
        }
        if (MatchNodes(nodes, 0, command.nodes, 0)) {
            return &command;
        }
    }
    return nullptr;
}
