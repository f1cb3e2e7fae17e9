// The IEEE 488.2 common commands and the SYSTem subsystem.

#include "server/Instrument.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/HexAddress.h"
#include "server/InstrumentCall.h"

using namespace scpi;

namespace {

QByteArray HexReply(int32_t port) {
    return HexAddressText(port).toLatin1();
}

} // namespace

QByteArray NumberReply(double value) {
    if (!std::isfinite(value)) {
        return NumberText(value, QLocale::c()).toLatin1();
    }
    // As NumberText: rounded to 15 significant digits first, then the
    // shortest text that reads back as that, never with an exponent.
    char buffer[64];
    char* const end = buffer + sizeof buffer;
    const std::to_chars_result rounded =
        std::to_chars(buffer, end, value, std::chars_format::general, 15);
    double shortest = value;
    if (rounded.ec != std::errc() ||
        std::from_chars(buffer, rounded.ptr, shortest).ec != std::errc()) {
        return NumberText(value, QLocale::c()).toLatin1();
    }
    if (shortest == 0.0) {
        shortest = 0.0; // drops the sign of -0
    }
    // The shortest form is plain decimals for the values replies hold; with an
    // exponent, NumberText writes the digits out (the library's fixed form
    // would write the binary value's exact digits instead).
    const std::to_chars_result text = std::to_chars(buffer, end, shortest);
    if (text.ec != std::errc() || std::find(buffer, text.ptr, 'e') != text.ptr) {
        return NumberText(value, QLocale::c()).toLatin1();
    }
    return QByteArray(buffer, text.ptr - buffer);
}

// IEEE 488.2 common commands

void Instrument::Idn(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "DSA Project,dsactl,0," + options_.version;
    }
}

void Instrument::Rst(Call& call) {
    if (!call.Expect(0, 0)) {
        return;
    }
    AbortSweep();
    session_.Reset();
    sweep_ = SweepSettings();
}

void Instrument::Cls(Call& call) {
    if (call.Expect(0, 0)) {
        call.client.Clear();
    }
}

void Instrument::Opc(Call& call) {
    if (call.Expect(0, 0)) {
        call.client.SetOperationComplete();
    }
}

// Every command but INITiate is done when its line has run; a sweep's end is
// seen with SWEep:STATe?.
void Instrument::OpcQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "1";
    }
}

void Instrument::Wai(Call& call) {
    call.Expect(0, 0);
}

void Instrument::Tst(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "0";
    }
}

void Instrument::Ese(Call& call) {
    const std::optional<Number> number = call.SoleNumber(Suffix::None, Call::Takes::NumberOnly);
    if (!number) {
        return;
    }
    const double mask = std::round(number->value);
    if (mask < 0 || mask > 255) {
        call.Fail(kDataOutOfRange, QStringLiteral("the mask is 0 to 255"));
        return;
    }
    call.client.SetEventEnable(static_cast<uint8_t>(mask));
}

void Instrument::EseQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.EventEnable());
    }
}

void Instrument::EsrQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.TakeEventStatus());
    }
}

void Instrument::StbQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.StatusByte());
    }
}

// SYSTem

void Instrument::ErrorNext(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = call.client.TakeError();
    }
}

void Instrument::ErrorCount(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(static_cast<qulonglong>(call.client.ErrorCount()));
    }
}

void Instrument::Version(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = "1999.0";
    }
}

void Instrument::SetPort(Call& call) {
    if (!call.Expect(1, 1)) {
        return;
    }
    QByteArray text = Unquote(call.unit.params[0]).value_or(call.unit.params[0]);
    if (text.toUpper().startsWith("#H")) {
        text.remove(0, 2);
    }
    const std::optional<int32_t> port = ParseHexAddress(QString::fromLatin1(text));
    if (!port) {
        call.Fail(kIllegalParameterValue,
                  QStringLiteral("the port is a hexadecimal address such as 378"));
        return;
    }
    session_.SetPort(*port);
}

void Instrument::PortQuery(Call& call) {
    if (call.Expect(0, 0)) {
        call.reply = HexReply(session_.Port());
    }
}
