#include "server/ScpiSyntax.h"

#include <QRegularExpression>
#include <cmath>

#include "server/ScpiErrors.h"

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

bool IsHeaderText(QByteArrayView header) {
    for (const char c : header) {
        if (!IsHeaderChar(c)) {
            return false;
        }
    }
    return true;
}

// A "*" header: one node, without ":".
bool ParseCommonHeader(QByteArrayView header, bool borrow, MessageUnit& unit) {
    unit.common = true;
    if (header.size() < 2 || header.contains(':') || header.sliced(1).contains('*')) {
        return false;
    }
    unit.nodes.append(UpperPiece(header, borrow));
    return true;
}

// Any other header: nodes separated by ":", after a leading ":" when absolute.
bool ParseNodes(QByteArrayView header, bool borrow, MessageUnit& unit) {
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
    }
    return !bad;
}

// The header as typed, its "?" included; false on a syntax error.
bool ParseHeader(QByteArrayView header, bool borrow, MessageUnit& unit) {
    if (!IsHeaderText(header)) {
        return false;
    }
    if (unit.query) {
        header.chop(1);
    }
    if (header.contains('?') || header.isEmpty()) {
        return false;
    }
    return header.startsWith('*') ? ParseCommonHeader(header, borrow, unit)
                                  : ParseNodes(header, borrow, unit);
}

// What follows the header: parameters separated by "," outside quotes, none
// of them empty; false on a syntax error.
bool ParseParams(QByteArrayView rest, bool borrow, MessageUnit& unit) {
    if (rest.isEmpty()) {
        return true;
    }
    if (!QuotesBalanced(rest)) {
        return false;
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
    return !bad;
}

void Parse(QByteArrayView text, bool borrow, MessageUnit& unit) {
    const QByteArrayView trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && !IsBlank(trimmed[end])) {
        ++end;
    }
    const QByteArrayView header = trimmed.first(end);
    // Known before anything else, so that a query with a bad header still
    // counts as a query and gets its (empty) reply line.
    unit.query = header.endsWith('?');
    if (!ParseHeader(header, borrow, unit) ||
        !ParseParams(trimmed.sliced(end).trimmed(), borrow, unit)) {
        unit.error = kSyntaxError;
    }
}

// The digits of a number written "#H1F", "#Q17" or "#B11111".
std::optional<double> ParseBased(const QByteArray& digits, int base) {
    if (digits.isEmpty() || digits.size() > 16) {
        return std::nullopt;
    }
    bool ok = false;
    const qulonglong value = digits.toULongLong(&ok, base);
    return ok ? std::optional<double>(static_cast<double>(value)) : std::nullopt;
}

// MIN, MAX and INF and their long forms, in upper case.
std::optional<Number::Kind> KeywordKind(const QByteArray& word) {
    if (word == "MIN" || word == "MINIMUM") {
        return Number::Kind::Minimum;
    }
    if (word == "MAX" || word == "MAXIMUM") {
        return Number::Kind::Maximum;
    }
    if (word == "INF" || word == "INFINITY") {
        return Number::Kind::Infinity;
    }
    return std::nullopt;
}

// `value` written with the unit suffix `unit` (upper case, empty for none)
// in the base unit of `suffix`; nullopt for a suffix it does not take.
std::optional<double> InBaseUnit(double value, const QString& unit, Suffix suffix) {
    if (unit.isEmpty()) {
        return value;
    }
    if (suffix == Suffix::Decibel && unit == QLatin1String("DB")) {
        return value;
    }
    if (suffix == Suffix::Second) {
        if (unit == QLatin1String("S")) {
            return value;
        }
        if (unit == QLatin1String("MS")) {
            return value / 1e3;
        }
        if (unit == QLatin1String("US")) {
            return value / 1e6;
        }
    }
    return std::nullopt;
}

// A decimal number in upper case, perhaps with an exponent and a suffix.
std::optional<double> ParseDecimal(const QByteArray& word, Suffix suffix, int& error) {
    static const QRegularExpression form(
        QStringLiteral(R"(^([+-]?(?:\d+\.?\d*|\.\d+)(?:E\s*[+-]?\d+)?)\s*([A-Z]*)$)"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(word));
    if (!match.hasMatch()) {
        error = kDataTypeError;
        return std::nullopt;
    }
    QString mantissa = match.captured(1);
    mantissa.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    bool ok = false;
    const double value = mantissa.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        error = kDataTypeError;
        return std::nullopt;
    }
    const std::optional<double> inBase = InBaseUnit(value, match.captured(2), suffix);
    if (!inBase) {
        error = kInvalidSuffix;
    }
    return inBase;
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
    if (const std::optional<Number::Kind> kind = KeywordKind(word)) {
        number.kind = *kind;
        return number;
    }
    std::optional<double> value;
    if (word.startsWith('#') && word.size() > 2) {
        const int base = word[1] == 'H' ? 16 : word[1] == 'Q' ? 8 : word[1] == 'B' ? 2 : 0;
        value = base != 0 ? ParseBased(word.mid(2), base) : std::nullopt;
        if (!value) {
            error = kDataTypeError;
        }
    } else {
        value = ParseDecimal(word, suffix, error);
    }
    if (!value) {
        return std::nullopt;
    }
    number.value = *value;
    return number;
}

} // namespace scpi
