// A SCPI command line from the network: split into units, each unit into
// header and parameters, each parameter read as a string and as a number with
// every suffix. What comes out must keep the promises of ScpiSyntax.h.

#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "server/ScpiSyntax.h"

namespace {

QString Show(const QByteArray& bytes) {
    return QStringLiteral("\"%1\"").arg(fuzz::Escaped(bytes));
}

bool IsTrimmed(const QByteArray& text) {
    return !text.isEmpty() && text == text.trimmed();
}

bool IsNodeChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '*';
}

void CheckString(const QByteArray& param) {
    const std::optional<QByteArray> text = scpi::Unquote(param);
    if (!text) {
        return;
    }
    // Quoting the text again, quotes doubled, gives the parameter back.
    const char quote = param.front();
    QByteArray requoted(1, quote);
    for (const char c : *text) {
        requoted.append(c);
        if (c == quote) {
            requoted.append(c);
        }
    }
    requoted.append(quote);
    FUZZ_CHECK(requoted == param, Show(param) + QStringLiteral(" unquoted as ") + Show(*text));
}

void CheckNumber(const QByteArray& param) {
    for (const scpi::Suffix suffix :
         {scpi::Suffix::None, scpi::Suffix::Decibel, scpi::Suffix::Second}) {
        int error = 1;
        const std::optional<scpi::Number> number = scpi::ParseNumber(param, suffix, error);
        if (number) {
            FUZZ_CHECK(error == 0, Show(param));
            FUZZ_CHECK(std::isfinite(number->value), Show(param));
        } else {
            FUZZ_CHECK(error == -104 || error == -131, Show(param));
        }
    }
}

void CheckUnit(const QByteArray& text) {
    const scpi::MessageUnit unit = scpi::ParseUnit(text);
    const QString where = Show(text);
    FUZZ_CHECK(unit.error == 0 || unit.error == -102, where);
    if (unit.error != 0) {
        return;
    }
    FUZZ_CHECK(!unit.nodes.isEmpty(), where);
    FUZZ_CHECK(!unit.common || (unit.nodes.size() == 1 && unit.nodes.front().startsWith('*') &&
                                unit.nodes.front().size() >= 2 && !unit.absolute),
               where);
    for (const QByteArray& node : unit.nodes) {
        FUZZ_CHECK(!node.isEmpty(), where);
        for (qsizetype i = 0; i < node.size(); ++i) {
            FUZZ_CHECK(IsNodeChar(node[i]) && (node[i] != '*' || (unit.common && i == 0)), where);
        }
        scpi::MatchesMnemonic(node, "ATTenuation");
        scpi::MatchesMnemonic(node, "*IDN");
    }
    for (const QByteArray& param : unit.params) {
        FUZZ_CHECK(IsTrimmed(param), where + QStringLiteral(" parameter ") + Show(param));
        CheckString(param);
        CheckNumber(param);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray line(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& unit : scpi::SplitUnits(line)) {
        FUZZ_CHECK(IsTrimmed(unit), Show(line) + QStringLiteral(" unit ") + Show(unit));
        CheckUnit(unit);
    }
    CheckString(line);
    CheckNumber(line);
    return 0;
}
