#pragma once
// What the instrument's command handlers share (inside src/server only): the
// call a handler gets with its parameter checks, and the forms of its replies
// and error details.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <memory>
#include <optional>

#include "core/NumberText.h"
#include "server/ScpiErrors.h"
#include "server/ScpiSyntax.h"

// What a handler gets: the unit, the client, and where its response goes.
struct CommandCall {
    const scpi::MessageUnit& unit;
    scpi::ClientStatus& client;
    const std::shared_ptr<scpi::ClientStatus>& owner;
    QByteArray reply;
    bool failed = false;
    bool endLine = false; // a command error: the rest of the line is dropped

    void Fail(int code, const QString& detail = QString()) {
        client.Report(code, detail);
        failed = true;
        endLine = endLine || scpi::IsCommandError(code);
    }
    // Checks the parameter count; reports -109 or -108 otherwise.
    bool Expect(int least, int most) {
        const auto count = unit.params.size();
        if (count < least) {
            Fail(scpi::kMissingParameter);
            return false;
        }
        if (count > most) {
            Fail(scpi::kParameterNotAllowed);
            return false;
        }
        return true;
    }

    // Which keywords a numeric parameter takes besides a number.
    enum class Takes { AnyKeyword, MinMax, NumberOnly };
    // Reads the numeric parameter `param`; reports its syntax error (-104,
    // -131), or -224 for a keyword it does not take.
    std::optional<scpi::Number> NumberParameter(const QByteArray& param, scpi::Suffix suffix,
                                                Takes takes) {
        int error = 0;
        const std::optional<scpi::Number> number = scpi::ParseNumber(param, suffix, error);
        if (!number) {
            Fail(error);
            return std::nullopt;
        }
        const bool refused =
            (takes == Takes::NumberOnly && number->kind != scpi::Number::Kind::Value) ||
            (takes == Takes::MinMax && number->kind == scpi::Number::Kind::Infinity);
        if (refused) {
            Fail(scpi::kIllegalParameterValue);
            return std::nullopt;
        }
        return number;
    }

    // The call's one parameter, a number: checks the count as Expect(1, 1)
    // does, then reads it as NumberParameter does.
    std::optional<scpi::Number> SoleNumber(scpi::Suffix suffix, Takes takes) {
        if (!Expect(1, 1)) {
            return std::nullopt;
        }
        return NumberParameter(unit.params[0], suffix, takes);
    }

    // Answers a query without parameters with `value`.
    void ReplyNumber(double value);
};

// A number in a reply: the shortest decimal text, period as separator; the
// same text as NumberText(value, QLocale::c()).
QByteArray NumberReply(double value);

inline void CommandCall::ReplyNumber(double value) {
    if (Expect(0, 0)) {
        reply = NumberReply(value);
    }
}

// "7.5 dB", for error details.
inline QString DbDetail(double db) {
    return NumberText(db, QLocale::c()) + QStringLiteral(" dB");
}

inline QString NoModelDetail() {
    return QStringLiteral("no model selected; send MODel first");
}

inline QString SweepRunningDetail() {
    return QStringLiteral("a sweep is running; send ABORt first");
}
