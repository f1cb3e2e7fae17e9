#pragma once
// How a SCPI command line is written: program message units separated by ";",
// each a header (":"-separated nodes, "*" for common commands, "?" for a query)
// and comma-separated parameters; numbers in decimal, exponent or #H/#Q/#B
// form with MIN/MAX/INF keywords and unit suffixes. Text only: nothing here
// knows a command.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QVarLengthArray>
#include <optional>

namespace scpi {

// One program message unit, split up.
struct MessageUnit {
    QList<QByteArray> nodes; // header nodes, upper case, without ":" and "?"
    bool absolute = false;   // the header began with ":"
    bool common = false;     // a "*" command: one node such as "*IDN"
    bool query = false;
    QList<QByteArray> params; // trimmed, quotes kept
    int error = 0;            // a syntax error found while splitting (-102)
};

// Splits a line (without its LF) at the ";" that lie outside quotes. Blank
// units (an empty line, a trailing ";") are left out.
QList<QByteArray> SplitUnits(const QByteArray& line);

// Splits one unit into header and parameters.
MessageUnit ParseUnit(const QByteArray& text);

// What the server runs every line through: the same splits, without copying.
// The units are views into `line`; the nodes and parameters of a borrowed
// unit share the bytes of its text (QByteArray::fromRawData) unless they had
// to be changed, so they are valid only while that text is.
using UnitViews = QVarLengthArray<QByteArrayView, 4>;
void SplitUnitViews(QByteArrayView line, UnitViews& units);
void ParseUnitBorrowed(QByteArrayView text, MessageUnit& unit);

// True when a header node as typed matches a mnemonic written with its short
// form in capitals ("ATTenuation" matches "ATT" and "ATTENUATION").
bool MatchesMnemonic(const QByteArray& node, const char* mnemonic);

// A mnemonic's two spellings, worked out once for a command table.
struct Mnemonic {
    explicit Mnemonic(const QByteArray& mnemonic);
    bool Matches(const QByteArray& node) const { return node == longForm || node == shortForm; }
    QByteArray longForm;  // upper case
    QByteArray shortForm; // its capitals
};

// A quoted string parameter without its quotes (doubled quotes made single);
// nullopt when `param` is not a quoted string.
std::optional<QByteArray> Unquote(const QByteArray& param);

// A numeric parameter.
struct Number {
    enum class Kind { Value, Minimum, Maximum, Infinity };
    Kind kind = Kind::Value;
    double value = 0.0;
};

// The unit suffixes a parameter may carry (the value comes back in the base unit).
enum class Suffix { None, Decibel, Second };

// Reads a numeric parameter. On failure, `error` is -104 (not a number), -131
// (a suffix this parameter does not take) or 0 on success.
std::optional<Number> ParseNumber(const QByteArray& param, Suffix suffix, int& error);

} // namespace scpi
