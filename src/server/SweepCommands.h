#pragma once
// The SWEep subsystem, INITiate and ABORt: the sweep's settings, and a sweep
// run on the board as a timed sequence by the instrument's SweepClock.

#include <QByteArray>
#include <memory>
#include <optional>
#include <vector>

#include "core/ControlWord.h"
#include "core/Sequence.h"

class CommandTable;
class Instrument;
class SweepClock;
struct CommandCall;

namespace scpi {
class ClientStatus;
}

class SweepCommands {
public:
    SweepCommands(Instrument& instrument, SweepClock& clock);

    void AddTo(CommandTable& table);

    // Stops a sweep, as ABORt does.
    void Stop();
    // Back to the settings a sweep starts with, as *RST does.
    void ResetSettings();

private:
    struct SweepSettings {
        double start = 0.0;
        double stop = 10.0;
        double step = 1.0;
        double dwellSeconds = 0.1;
        bool listMode = false;
        std::vector<double> list;
        long count = 1; // 0: until ABORt
    };

    std::optional<double> SweepDbParameter(CommandCall& call, const QByteArray& param);
    // SWEep:STARt and SWEep:STOP: sets `bound` to the call's attenuation.
    void SetSweepBound(CommandCall& call, double& bound);
    std::optional<std::vector<double>> SweepPoints(CommandCall* call) const;
    // The words of `values`, every one checked before the first is sent.
    std::optional<std::vector<ControlWord>> WordsFor(CommandCall& call,
                                                     const std::vector<double>& values);
    void SweepEnded(SequenceEnd end);

    void SetSweepStart(CommandCall& call);
    void SweepStartQuery(CommandCall& call);
    void SetSweepStop(CommandCall& call);
    void SweepStopQuery(CommandCall& call);
    void SetSweepStep(CommandCall& call);
    void SweepStepQuery(CommandCall& call);
    void SetSweepDwell(CommandCall& call);
    void SweepDwellQuery(CommandCall& call);
    void SetSweepList(CommandCall& call);
    void SweepListQuery(CommandCall& call);
    void SetSweepMode(CommandCall& call);
    void SweepModeQuery(CommandCall& call);
    void SetSweepCount(CommandCall& call);
    void SweepCountQuery(CommandCall& call);
    void SweepPointsQuery(CommandCall& call);
    void SweepStateQuery(CommandCall& call);
    void SweepLateQuery(CommandCall& call);
    void Initiate(CommandCall& call);
    void Abort(CommandCall& call);

    Instrument& instrument_;
    SweepClock& clock_;
    SweepSettings sweep_;
    std::vector<ControlWord> sweepWords_;
    std::weak_ptr<scpi::ClientStatus> sweepOwner_;
};
