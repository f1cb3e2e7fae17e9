#pragma once
// The IEEE 488.2 common commands (*IDN?, *RST, *CLS, *OPC, *ESE, *ESR?,
// *STB?, ...), SYSTem:ERRor and SYSTem:VERSion: mostly the status and error
// queue of the client that sends them.

#include <QByteArray>

class CommandTable;
class Instrument;
struct CommandCall;

class CommonCommands {
public:
    // `version` is the version field of *IDN?.
    CommonCommands(Instrument& instrument, const QByteArray& version);

    void AddTo(CommandTable& table);

private:
    void Idn(CommandCall& call);
    void Rst(CommandCall& call);
    void Cls(CommandCall& call);
    void Opc(CommandCall& call);
    void OpcQuery(CommandCall& call);
    void Wai(CommandCall& call);
    void Tst(CommandCall& call);
    void Ese(CommandCall& call);
    void EseQuery(CommandCall& call);
    void EsrQuery(CommandCall& call);
    void StbQuery(CommandCall& call);
    void ErrorNext(CommandCall& call);
    void ErrorCount(CommandCall& call);
    void Version(CommandCall& call);

    Instrument& instrument_;
    const QByteArray& version_;
};
