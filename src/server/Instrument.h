#pragma once
// The instrument behind the SCPI server, without sockets: command lines in,
// reply lines and error-queue entries out. One board (port, model, LE line,
// what each line latched, the sweep) is shared by every client; each client
// has its own error queue and event status (ClientStatus).
//
// A line runs whole before the next one, so two clients' transfers never mix
// on the port. Queries are answered while a sweep runs; setting commands are
// refused with -221 until it ends or ABORt stops it.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "core/BoardSession.h"
#include "core/Sequence.h"
#include "server/LogLimit.h"
#include "server/ScpiErrors.h"
#include "server/ScpiSyntax.h"

class CollectingNotifier;
class SweepClock;

class Instrument : public QObject {
    Q_OBJECT
public:
    struct Options {
        // Values the model cannot make are set to the nearest it can make.
        bool nearest = false;
        // The board is the simulated one: BOARD:LATChed? reads it.
        bool simulated = false;
        // A stop request that ends a sweep's wait early; may be nullptr.
        const std::atomic<bool>* stop = nullptr;
        // The version field of *IDN?.
        QByteArray version = "0";
    };

    Instrument(Board& board, CollectingNotifier& notifier, int32_t port, Options options,
               QObject* parent = nullptr);
    ~Instrument() override;

    // Runs one command line (without its LF) for `client`. A line that holds a
    // query gets exactly one reply line (without LF): the responses of its
    // queries joined by ";", empty when they all failed. nullopt otherwise.
    std::optional<QByteArray> Execute(const std::shared_ptr<scpi::ClientStatus>& client,
                                      QByteArrayView line);
    // The same, for the server: appends the reply line with its LF to
    // `replies` and returns true when the line holds a query.
    bool ExecuteInto(const std::shared_ptr<scpi::ClientStatus>& client, QByteArrayView line,
                     QByteArray& replies);

    bool SweepRunning() const;
    // Stops a sweep, as ABORt does.
    void AbortSweep();
    const BoardSession& Session() const { return session_; }

    struct Call;
    using Handler = void (Instrument::*)(Call&);

private:
    friend struct CommandTable;

    struct SweepSettings {
        double start = 0.0;
        double stop = 10.0;
        double step = 1.0;
        double dwellSeconds = 0.1;
        bool listMode = false;
        std::vector<double> list;
        long count = 1; // 0: until ABORt
    };

    // Loads `word`, then reports what went wrong to `client` (when there is
    // one) or on standard error. True when the device latched and every write
    // verified.
    bool LoadReported(ControlWord word, scpi::ClientStatus* client);
    const ModelProfile* RequireModel(Call& call);
    std::optional<double> DbParameter(Call& call, const QByteArray& param);
    std::optional<ControlWord> WordFor(Call& call, double db);
    std::optional<double> SweepDbParameter(Call& call, const QByteArray& param);
    // SWEep:STARt and SWEep:STOP: sets `bound` to the call's attenuation.
    void SetSweepBound(Call& call, double& bound);
    void SweepEnded(SequenceEnd end);

    // Handlers, one per command form.
    void Idn(Call& call);
    void Rst(Call& call);
    void Cls(Call& call);
    void Opc(Call& call);
    void OpcQuery(Call& call);
    void Wai(Call& call);
    void Tst(Call& call);
    void Ese(Call& call);
    void EseQuery(Call& call);
    void EsrQuery(Call& call);
    void StbQuery(Call& call);
    void ErrorNext(Call& call);
    void ErrorCount(Call& call);
    void Version(Call& call);
    void SetModel(Call& call);
    void ModelQuery(Call& call);
    void ModelCatalogue(Call& call);
    void SetLe(Call& call);
    void LeQuery(Call& call);
    void SetAttenuation(Call& call);
    void AttenuationQuery(Call& call);
    void ResolutionQuery(Call& call);
    void SetStepWord(Call& call);
    void StepWordQuery(Call& call);
    void SetSweepStart(Call& call);
    void SweepStartQuery(Call& call);
    void SetSweepStop(Call& call);
    void SweepStopQuery(Call& call);
    void SetSweepStep(Call& call);
    void SweepStepQuery(Call& call);
    void SetSweepDwell(Call& call);
    void SweepDwellQuery(Call& call);
    void SetSweepList(Call& call);
    void SweepListQuery(Call& call);
    void SetSweepMode(Call& call);
    void SweepModeQuery(Call& call);
    void SetSweepCount(Call& call);
    void SweepCountQuery(Call& call);
    void SweepPointsQuery(Call& call);
    void SweepStateQuery(Call& call);
    void SweepLateQuery(Call& call);
    void Initiate(Call& call);
    void Abort(Call& call);
    void SetPort(Call& call);
    void PortQuery(Call& call);
    void LatchedQuery(Call& call);

    std::optional<std::vector<double>> SweepPoints(Call* call) const;

    Board& board_;
    CollectingNotifier& notifier_;
    Options options_;
    BoardSession session_;
    SweepSettings sweep_;
    SweepClock* clock_;
    // What a sweep's failed step prints, at most once a second.
    LogLimit sweepLog_;
    std::vector<ControlWord> sweepWords_;
    std::weak_ptr<scpi::ClientStatus> sweepOwner_;
};
