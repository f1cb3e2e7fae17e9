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
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '*' || c == '?';
}

// The quote open after `c`, given the one open before it (0: none). A doubled
// quote closes and reopens the string: the same text.
char QuoteAfter(char quote, char c) {
    if (quote != 0) {
        return c == quote ? 0 : quote;
    }
    return IsQuote(c) ? c : 0;
}

// Calls `piece` with each part of `text` between the `separator`s that lie
// outside quotes. Parts are not trimmed.
template <typename Piece>
void SplitOutsideQuotes(QByteArrayView text, char separator, Piece&& piece) {
    qsizetype begin = 0;
    char quote = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote == 0 && c == separator) {
            piece(text.sliced(begin, i - begin));
            begin = i + 1;
            continue;
        }
        quote = QuoteAfter(quote, c);
    }
    piece(text.sliced(begin));
}

bool QuotesBalanced(QByteArrayView text) {
    char quote = 0;
    for (const char c : text) {
        quote = QuoteAfter(quote, c);
    }
    return quote == 0;
}

bool HasLowerCase(QByteArrayView text) {
    for (const char c : text) {
        if (c >= 'a' && c <= 'z') {
            return true;
        }
    }
    return false;
}

// `text` as a QByteArray: sharing its bytes when `borrow` is set, else a copy.
QByteArray Piece(QByteArrayView text, bool borrow) {
    return borrow ? QByteArray::fromRawData(text.data(), text.size()) : text.toByteArray();
}

QByteArray UpperPiece(QByteArrayView text, bool borrow) {
    return HasLowerCase(text) ? text.toByteArray().toUpper() : Piece(text, borrow);
}

void Parse(QByteArrayView text, bool borrow, MessageUnit& unit) {
    const QByteArrayView trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && !IsBlank(trimmed[end])) {
        ++end;
    }
    QByteArrayView header = trimmed.first(end);
    const QByteArrayView rest = trimmed.sliced(end).trimmed();
    // Known before anything else, so that a query with a bad header still
    // counts as a query and gets its (empty) reply line.
    unit.query = header.endsWith('?');
    for (const char c : header) {
        if (!IsHeaderChar(c)) {
            unit.error = -102;
            return;
        }
    }
    if (unit.query) {
        header.chop(1);
    }
    if (header.contains('?') || header.isEmpty()) {
        unit.error = -102;
        return;
    }
    if (header.startsWith('*')) {
        unit.common = true;
        if (header.size() < 2 || header.contains(':') || header.sliced(1).contains('*')) {
            unit.error = -102;
            return;
        }
        unit.nodes.append(UpperPiece(header, borrow));
    } else {
        if (header.startsWith(':')) {
            unit.absolute = true;
            header = header.sliced(1);
        }
        bool bad = false;
        SplitOutsideQuotes(header, ':', [&](QByteArrayView node) {
            if (node.isEmpty() || node.contains('*')) {
                bad = true;
            } else if (!bad) {
                unit.nodes.append(UpperPiece(node, borrow));
            }
        });
        if (bad) {
            unit.nodes.clear();
            unit.error = -102;
            return;
        }
    }
    if (!rest.isEmpty()) {
        if (!QuotesBalanced(rest)) {
            unit.error = -102;
            return;
        }
        bool bad = false;
        SplitOutsideQuotes(rest, ',', [&](QByteArrayView piece) {
            const QByteArrayView param = piece.trimmed();
            if (param.isEmpty()) {
                bad = true;
            } else if (!bad) {
                unit.params.append(Piece(param, borrow));
            }
        });
        if (bad) {
            unit.error = -102;
            return;
        }
    }
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

void SplitUnitViews(QByteArrayView line, UnitViews& units) {
    SplitOutsideQuotes(line, ';', [&units](QByteArrayView piece) {
        const QByteArrayView unit = piece.trimmed();
        if (!unit.isEmpty()) {
            units.append(unit);
        }
    });
}

QList<QByteArray> SplitUnits(const QByteArray& line) {
    UnitViews views;
    SplitUnitViews(line, views);
    QList<QByteArray> units;
    for (const QByteArrayView unit : views) {
        units.append(unit.toByteArray());
    }
    return units;
}

MessageUnit ParseUnit(const QByteArray& text) {
    MessageUnit unit;
    Parse(text, false, unit);
    return unit;
}

void ParseUnitBorrowed(QByteArrayView text, MessageUnit& unit) {
    Parse(text, true, unit);
}

Mnemonic::Mnemonic(const QByteArray& mnemonic) : longForm(mnemonic.toUpper()) {
    for (const char c : mnemonic) {
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '*') {
            shortForm.append(c);
        }
    }
}

bool MatchesMnemonic(const QByteArray& node, const char* mnemonic) {
    return Mnemonic(QByteArray(mnemonic)).Matches(node);
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
        const std::optional<double> value =
            base != 0 ? ParseBased(word.mid(2), base) : std::nullopt;
        if (!value) {
            error = -104;
            return std::nullopt;
        }
        number.value = *value;
        return number;
    }
    static const QRegularExpression form(
        QStringLiteral(R"(^([+-]?(?:\d+\.?\d*|\.\d+)(?:E\s*[+-]?\d+)?)\s*([A-Z]*)$)"));
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
