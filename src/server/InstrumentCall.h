#pragma once
// What the instrument's command handlers share (inside src/server only): the
// call a handler gets, and the forms of its replies and error details.

#include <QByteArray>
#include <QLocale>
#include <QString>
#include <memory>

#include "core/NumberText.h"
#include "server/Instrument.h"
#include "server/ScpiErrors.h"
#include "server/ScpiSyntax.h"

// What a handler gets: the unit, the client, and where its response goes.
struct Instrument::Call {
    const scpi::MessageUnit& unit;
    scpi::ClientStatus& client;
    const std::shared_ptr<scpi::ClientStatus>& owner;
    QByteArray reply;
    bool failed = false;
    bool endLine = false; // a command error: the rest of the line is dropped

    void Fail(int code, const QString& detail = QString()) {
        client.Report(code, detail);
        failed = true;
        endLine = endLine || (code <= -100 && code > -200);
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
};

// A number in a reply: the shortest decimal text, period as separator.
inline QByteArray NumberReply(double value) {
    return NumberText(value, QLocale::c()).toLatin1();
}

// "7.5 dB", for error details.
inline QString DbText(double db) {
    return NumberText(db, QLocale::c()) + QStringLiteral(" dB");
}

inline QString NoModelDetail() {
    return QStringLiteral("no model selected; send MODel first");
}

inline QString SweepRunningDetail() {
    return QStringLiteral("a sweep is running; send ABORt first");
}
