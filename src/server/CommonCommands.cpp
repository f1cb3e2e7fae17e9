// The IEEE 488.2 common commands, SYSTem:ERRor and SYSTem:VERSion.

#include "server/CommonCommands.h"

#include <cmath>

#include "server/CommandCall.h"
#include "server/CommandTable.h"
#include "server/Identity.h"
#include "server/Instrument.h"

using namespace scpi;

CommonCommands::CommonCommands(Instrument& instrument, const QByteArray& version)
    : instrument_(instrument), version_(version) {}

void CommonCommands::AddTo(CommandTable& table) {
    using C = CommonCommands;
    using Form = CommandTable::Form;
    const CommandTable::Row<C> rows[] = {
        {"*IDN", Form::Query, &C::Idn},
        {"*RST", Form::Command, &C::Rst},
        {"*CLS", Form::Command, &C::Cls},
        {"*OPC", Form::Command, &C::Opc},
        {"*OPC", Form::Query, &C::OpcQuery},
        {"*WAI", Form::Command, &C::Wai},
        {"*TST", Form::Query, &C::Tst},
        {"*ESE", Form::Command, &C::Ese},
        {"*ESE", Form::Query, &C::EseQuery},
        {"*ESR", Form::Query, &C::EsrQuery},
        {"*STB", Form::Query, &C::StbQuery},
        {"SYSTem:ERRor[:NEXT]", Form::Query, &C::ErrorNext},
        {"SYSTem:ERRor:COUNt", Form::Query, &C::ErrorCount},
        {"SYSTem:VERSion", Form::Query, &C::Version},
    };
    table.Add(*this, rows);
}

// IEEE 488.2 common commands

void CommonCommands::Idn(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply =
            QByteArray(identity::kManufacturer) + ',' + identity::kModel + ",0," + version_;
    }
}

void CommonCommands::Rst(CommandCall& call) {
    if (call.Expect(0, 0)) {
        instrument_.Reset();
    }
}

void CommonCommands::Cls(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.client.Clear();
    }
}

void CommonCommands::Opc(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.client.SetOperationComplete();
    }
}

// Every command but INITiate is done when its line has run; a sweep's end is
// seen with SWEep:STATe?.
void CommonCommands::OpcQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = "1";
    }
}

void CommonCommands::Wai(CommandCall& call) {
    call.Expect(0, 0);
}

void CommonCommands::Tst(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = "0";
    }
}

void CommonCommands::Ese(CommandCall& call) {
    const std::optional<Number> number =
        call.SoleNumber(Suffix::None, CommandCall::Takes::NumberOnly);
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

void CommonCommands::EseQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.EventEnable());
    }
}

void CommonCommands::EsrQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.TakeEventStatus());
    }
}

void CommonCommands::StbQuery(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(call.client.StatusByte());
    }
}

// SYSTem

void CommonCommands::ErrorNext(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = call.client.TakeError();
    }
}

void CommonCommands::ErrorCount(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = QByteArray::number(static_cast<qulonglong>(call.client.ErrorCount()));
    }
}

void CommonCommands::Version(CommandCall& call) {
    if (call.Expect(0, 0)) {
        call.reply = "1999.0";
    }
}
