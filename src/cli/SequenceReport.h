#pragma once
// What sweep and hop report of a run once it has ended: the end record (how the
// run ended, the steps loaded, unverified Loads, lateness and slip, the value
// it was parked at), printed as a JSON object or a line of text, and the exit
// status it comes to.

#include <QJsonObject>
#include <QString>
#include <chrono>
#include <optional>

#include "cli/BoardLink.h"
#include "core/ModelProfile.h"
#include "core/Sequence.h"

struct SequenceRecord {
    // Ended by a termination signal, `signal` names it: "SIGINT", "SIGTERM"...
    bool stopped = false;
    QString signal;
    int steps = 0;      // steps loaded, the --on-stop Load not counted
    int unverified = 0; // Loads, that of --on-stop too, that did not verify every write
    SequenceLateness lateness;
    // The step that would have started later than --max-late allows.
    std::optional<SequenceStep> tooLate;
    // The Load of --on-stop, after a stop.
    std::optional<LoadReport> parked;

    int Loads() const { return steps + (parked ? 1 : 0); }
};

// The name a termination signal is reported by.
QString SignalName(int signalNumber);

// A Load as the step lines and the end record show it: attenuation, word,
// binary, whether it verified, and what the simulated board latched.
QJsonObject LoadJson(const ModelProfile& model, const LoadReport& report);

// Prints the end record of command `name` (sweep or hop): one JSON object with
// `json`, else what --on-stop latched, the lateness line when steps were late,
// and the closing line.
void PrintSequenceEnd(const QString& name, const ModelProfile& model, const SequenceRecord& record,
                      bool json);

// Throws the failure the record comes to: Loads that did not verify on `port`
// (74), else a step later than `maxLate` (3). Returns when the run went well.
void ThrowSequenceFailure(const SequenceRecord& record, int32_t port,
                          const std::optional<std::chrono::nanoseconds>& maxLate);
