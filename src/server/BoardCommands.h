#pragma once
// The commands of the board: SYSTem:PORT, MODel, LE, ATTenuation, STEP:WORD
// and, on the simulated board, BOARD:LATChed?.

class BoardSession;
class CommandTable;
class Instrument;
class SimulatedPort;
struct CommandCall;

class BoardCommands {
public:
    // `simulated` is the simulated board, for BOARD:LATChed?; nullptr on
    // real ports.
    BoardCommands(Instrument& instrument, BoardSession& session, SimulatedPort* simulated);

    void AddTo(CommandTable& table);

private:
    void SetPort(CommandCall& call);
    void PortQuery(CommandCall& call);
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
    SimulatedPort* simulated_;
};
