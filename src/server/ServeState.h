#pragma once
// The state file of `dsactl serve --power-up last`: what the board was last
// loaded with (the word and model of each LE line and of the parallel latch)
// and the model and LE line selected at that Load; where the file lives; the
// file as JSON, read back with every field checked, so that a damaged file is
// refused whole and never turns into a wrong Load.

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <array>
#include <optional>

#include "core/BoardSession.h"
#include "core/ControlWord.h"
#include "core/ModelProfile.h"

// The version in the file's "format" field; a file of any other is ignored.
constexpr int kServeStateFormat = 1;

struct ServeState {
    // A word a device latched, with the model it was made for.
    struct Latched {
        const ModelProfile* model = nullptr;
        ControlWord word = 0;
        bool operator==(const Latched& other) const {
            return model == other.model && word == other.word;
        }
    };
    // The model and LE line selected at the last Load.
    const ModelProfile* model = nullptr;
    int le = 1;
    // By LE line 1 to 6; entry 0 unused.
    std::array<std::optional<Latched>, kLeLineCount + 1> lines{};
    std::optional<Latched> parallel;

    bool operator==(const ServeState& other) const {
        return model == other.model && le == other.le && lines == other.lines &&
               parallel == other.parallel;
    }
    bool operator!=(const ServeState& other) const { return !(*this == other); }
};

// The folder of the state file: the first of $STATE_DIRECTORY (set by systemd
// for StateDirectory=), else $XDG_STATE_HOME/dsactl (when absolute), else
// $HOME/.local/state/dsactl.
QString ServeStateFolder(const QProcessEnvironment& environment);
// The file in that folder; the simulated board keeps a file of its own, so
// that trying the server out never changes what a real board gets back.
QString ServeStatePath(const QString& folder, bool simulated);
// The same in the folder this process's environment names.
QString ServeStatePath(bool simulated);

// The file's contents: an object with "format", "model" (a model key), "le",
// "lines" (objects with "le", "model", "word") and "parallel" ("model",
// "word"; absent when nothing was loaded there).
QByteArray ServeStateJson(const ServeState& state);
// The state in `bytes`, or nullopt with what is wrong in `problem`: not JSON,
// another format, a model key the catalogue lacks, an LE line outside 1 to 6
// or named twice, a word with steps its model lacks, a serial model on the
// parallel latch or the other way round.
std::optional<ServeState> ParseServeState(const QByteArray& bytes, QString& problem);

struct ServeStateRead {
    enum class Outcome { Read, Missing, Refused };
    Outcome outcome = Outcome::Missing;
    ServeState state;
    QString problem; // why it was refused
};
// Reads and checks the file at `path` (at most 64 KiB).
ServeStateRead ReadServeState(const QString& path);
// Replaces the file atomically, making its folder when it is missing; false
// with the reason in `problem` when it cannot be written.
bool WriteServeState(const QString& path, const ServeState& state, QString& problem);

// The SCPI lines that load `state` back: one per latched word, each selecting
// its model and line ("MOD \"VK58-Q5-S1\";LE 2;STEP:WORD 14"), and the line
// that leaves the saved model and LE line selected.
struct ServeStateLines {
    QList<QByteArray> loads;
    QByteArray selection;
};
ServeStateLines RestoreLines(const ServeState& state);
