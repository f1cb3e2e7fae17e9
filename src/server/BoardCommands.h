#pragma once
// The commands of the board: SYSTem:PORT, MODel, LE, ATTenuation, STEP:WORD
// and, on the simulated board, BOARD:LATChed?.

#include <QByteArray>

class Board;
class BoardSession;
class CommandTable;
class Instrument;
struct CommandCall;

class BoardCommands {
public:
    // `simulated`: `board` is the simulated board, which BOARD:LATChed? reads.
    BoardCommands(Instrument& instrument, BoardSession& session, Board& board, bool simulated);

    void AddTo(CommandTable& table);

private:
    void SetPort(CommandCall& call);
    void PortQuery(CommandCall& call);
    // SYSTem:PORT "ftdi://...": the board through that adapter from now on.
    void UseAdapter(CommandCall& call, const QByteArray& url);
    void SetModel(CommandCall& call);
    void ModelQuery(CommandCall& call);
    void ModelCatalogue(CommandCall& call);
    void SetLe(CommandCall& call);
    void LeQuery(CommandCall& call);
    void SetAttenuation(CommandCall& call);
    void AttenuationQuery(CommandCall& call);
    void ResolutionQuery(CommandCall& call);
    void SetStepWord(CommandCall& call);
    void StepWordQuery(CommandCall& call);
    void LatchedQuery(CommandCall& call);

    Instrument& instrument_;
    BoardSession& session_;
    Board& board_;
    bool simulated_;
};
