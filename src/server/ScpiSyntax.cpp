#include "server/ScpiSyntax.h"

#include <QRegularExpression>
#include <cmath>

namespace scpi {

namespace {

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool IsHeaderChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_' || c == ':' || c == '*' || c == '?';
}

// The quote open after `c`, given the one open before it (0: none). A doubled
// quote closes and reopens the string: the same text.
char QuoteAfter(char quote, char c) {
    if (quote != 0) {
        return c == quote ? 0 : quote;
    }
    return IsQuote(c) ? c : 0;
}

// Splits `text` at `separator` outside quotes. Pieces are not trimmed.
QList<QByteArray> SplitOutsideQuotes(const QByteArray& text, char separator) {
    QList<QByteArray> pieces;
    QByteArray piece;
    char quote = 0;
    for (const char c : text) {
        if (quote == 0 && c == separator) {
            pieces.append(piece);
            piece.clear();
            continue;
        }
        quote = QuoteAfter(quote, c);
        piece.append(c);
    }
    pieces.append(piece);
    return pieces;
}

bool QuotesBalanced(const QByteArray& text) {
    char quote = 0;
    for (const char c : text) {
        quote = QuoteAfter(quote, c);
    }
    return quote == 0;
}

std::optional<double> ParseBased(const QByteArray& digits, int base) {
    if (digits.isEmpty() || digits.size() > 16) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, base);
    return ok ? std::optional<double>(static_cast<double>(value)) : std::nullopt;
}

} // namespace

QList<QByteArray> SplitUnits(const QByteArray& line) {
    QList<QByteArray> units;
    for (const QByteArray& piece : SplitOutsideQuotes(line, ';')) {
        const QByteArray unit = piece.trimmed();
        if (!unit.isEmpty()) {
            units.append(unit);
        }
    }
    return units;
}

MessageUnit ParseUnit(const QByteArray& text) {
    MessageUnit unit;
    const QByteArray trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && !IsBlank(trimmed[end])) {
        ++end;
    }
    QByteArray header = trimmed.left(end);
    const QByteArray rest = trimmed.mid(end).trimmed();
    // Known before anything else, so that a query with a bad header still
    // counts as a query and gets its (empty) reply line.
    unit.query = header.endsWith('?');
    for (const char c : header) {
        if (!IsHeaderChar(c)) {
            unit.error = -102;
            return unit;
        }
    }
    if (unit.query) {
        header.chop(1);
    }
    if (header.contains('?') || header.isEmpty()) {
        unit.error = -102;
        return unit;
    }
    if (header.startsWith('*')) {
        unit.common = true;
        if (header.size() < 2 || header.indexOf(':') >= 0 || header.indexOf('*', 1) >= 0) {
            unit.error = -102;
            return unit;
        }
        unit.nodes.append(header.toUpper());
    } else {
        if (header.startsWith(':')) {
            unit.absolute = true;
            header.remove(0, 1);
        }
        for (const QByteArray& node : header.split(':')) {
            if (node.isEmpty() || node.contains('*')) {
                unit.error = -102;
                return unit;
            }
            unit.nodes.append(node.toUpper());
        }
    }
    if (!rest.isEmpty()) {
        if (!QuotesBalanced(rest)) {
            unit.error = -102;
            return unit;
        }
        for (const QByteArray& piece : SplitOutsideQuotes(rest, ',')) {
            const QByteArray param = piece.trimmed();
            if (param.isEmpty()) {
                unit.error = -102;
                return unit;
            }
            unit.params.append(param);
        }
    }
    return unit;
}

bool MatchesMnemonic(const QByteArray& node, const char* mnemonic) {
    const QByteArray longForm = QByteArray(mnemonic).toUpper();
    QByteArray shortForm;
    for (const char* c = mnemonic; *c != '\0'; ++c) {
        if ((*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '*') {
            shortForm.append(*c);
        }
    }
    return node == longForm || node == shortForm;
}

std::optional<QByteArray> Unquote(const QByteArray& param) {
    if (param.size() < 2 || !IsQuote(param.front()) || param.back() != param.front()) {
        return std::nullopt;
    }
    const char quote = param.front();
    const QByteArray inner = param.mid(1, param.size() - 2);
    QByteArray text;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == quote) {
            // Inside a string a quote only stands doubled.
            if (i + 1 >= inner.size() || inner[i + 1] != quote) {
                return std::nullopt;
            }
            ++i;
        }
        text.append(inner[i]);
    }
    return text;
}

std::optional<Number> ParseNumber(const QByteArray& param, Suffix suffix, int& error) {
    error = 0;
    const QByteArray word = param.trimmed().toUpper();
    Number number;
    if (word == "MIN" || word == "MINIMUM") {
        number.kind = Number::Kind::Minimum;
        return number;
    }
    if (word == "MAX" || word == "MAXIMUM") {
        number.kind = Number::Kind::Maximum;
        return number;
    }
    if (word == "INF" || word == "INFINITY") {
        number.kind = Number::Kind::Infinity;
        return number;
    }
    if (word.startsWith('#') && word.size() > 2) {
        const int base = word[1] == 'H' ? 16 : word[1] == 'Q' ? 8 : word[1] == 'B' ? 2 : 0;
        const std::optional<double> value = base != 0 ? ParseBased(word.mid(2), base) : std::nullopt;
        if (!value) {
            error = -104;
            return std::nullopt;
        }
        number.value = *value;
        return number;
    }
    static const QRegularExpression form(QStringLiteral(
        R"(^([+-]?(?:\d+\.?\d*|\.\d+)(?:E\s*[+-]?\d+)?)\s*([A-Z]*)$)"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(word));
    if (!match.hasMatch()) {
        error = -104;
        return std::nullopt;
    }
    QString mantissa = match.captured(1);
    mantissa.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    bool ok = false;
    number.value = mantissa.toDouble(&ok);
    if (!ok || !std::isfinite(number.value)) {
        error = -104;
        return std::nullopt;
    }
    const QString unit = match.captured(2);
    if (unit.isEmpty()) {
        return number;
    }
    if (suffix == Suffix::Decibel && unit == QLatin1String("DB")) {
        return number;
    }
    if (suffix == Suffix::Second) {
        if (unit == QLatin1String("S")) {
            return number;
        }
        if (unit == QLatin1String("MS")) {
            number.value /= 1e3;
            return number;
        }
        if (unit == QLatin1String("US")) {
            number.value /= 1e6;
            return number;
        }
    }
    error = -131;
    return std::nullopt;
}

} // namespace scpi
