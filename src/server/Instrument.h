#pragma once
// The instrument behind the SCPI server, without sockets: command lines in,
// reply lines and error-queue entries out. One board (port, model, LE line,
// what each line latched, the sweep) is shared by every client, and so are the
// error queue and event status (Status()), as on any instrument: an error is
// there for whichever connection asks next.
//
// A line runs whole before the next one, so two clients' transfers never mix
// on the port. Queries are answered while a sweep runs; setting commands are
// refused with -221 until it ends or ABORt stops it.
//
// The commands live in their subsystems (CommonCommands, BoardCommands,
// SweepCommands), which the instrument owns; it runs the lines through their
// table and holds what they share: the board, the sweep's clock, the Loads.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "core/BoardSession.h"
#include "core/Sequence.h"
#include "server/BoardCommands.h"
#include "server/CommandTable.h"
#include "server/CommonCommands.h"
#include "server/LogLimit.h"
#include "server/ScpiErrors.h"
#include "server/ScpiSyntax.h"
#include "server/SweepCommands.h"

class CollectingNotifier;
class SweepClock;
struct CommandCall;

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

    // The instrument's error queue and event status (IEEE 488.2): one for
    // every connection, so that an error is there for whichever client asks.
    const std::shared_ptr<scpi::ClientStatus>& Status() const { return status_; }

    bool SweepRunning() const;
    // Stops a sweep, as ABORt does.
    void AbortSweep();
    const BoardSession& Session() const { return session_; }

    // For the command subsystems: what more than one of them needs.

    // *RST: no sweep, the board as it starts, the sweep settings' defaults.
    void Reset();
    // Loads `word`, then reports what went wrong to `client` (when there is
    // one) or on standard error. True when the device latched and every write
    // verified.
    bool LoadReported(ControlWord word, scpi::ClientStatus* client);
    // The selected model; reports -221 when there is none.
    const ModelProfile* RequireModel(CommandCall& call);
    // An attenuation parameter: a number of dB, or MIN/MAX of the model.
    std::optional<double> DbParameter(CommandCall& call, const QByteArray& param);
    // The word that makes `db` on the selected model.
    std::optional<ControlWord> WordFor(CommandCall& call, double db);

signals:
    // After every Load that the device latched, a sweep's steps too: the
    // session holds the word by then.
    void Loaded();

private:
    // Every command of the subsystems, in one table.
    CommandTable AllCommands();

    Board& board_;
    std::shared_ptr<scpi::ClientStatus> status_ = std::make_shared<scpi::ClientStatus>();
    CollectingNotifier& notifier_;
    Options options_;
    BoardSession session_;
    SweepClock* clock_;
    // What a sweep's failed step prints, at most once a second.
    LogLimit sweepLog_;
    CommonCommands commonCommands_{*this, options_.version};
    BoardCommands boardCommands_{*this, session_, board_, options_.simulated};
    SweepCommands sweepCommands_{*this, *clock_};
    CommandTable commands_ = AllCommands();
};
