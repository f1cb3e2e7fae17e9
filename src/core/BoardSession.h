#pragma once
// One board as the command line and the instrument server drive it: the port,
// the chosen model, the LE line, and what was last loaded through each LE line
// and through the parallel latch. Loads go through the board's Load, as the
// window's do.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Board.h"
#include "core/ControlWord.h"
#include "core/ModelProfile.h"

constexpr int kLeLineCount = 6;

class BoardSession {
public:
    explicit BoardSession(Board& board, int32_t port = 0);

    void SetPort(int32_t port) { port_ = port; }
    int32_t Port() const { return port_; }

    // nullptr: no model.
    void SelectModel(const ModelProfile* model) { model_ = model; }
    const ModelProfile* Model() const { return model_; }

    // The LE line of the next serial Load, 1 to 6; false (nothing changed) otherwise.
    bool SetLe(int le);
    int Le() const { return le_; }

    struct Result {
        LoadOutcome outcome;
        // Why the port could not be used, when it could not (None otherwise).
        PortProblem problem = PortProblem::None;
        std::string reason;
    };
    // Loads `word` into the device of the chosen model: through the chosen LE
    // line for a serial model, with the latch pulse for a parallel one. Requires
    // a model. Records the word for the line when the device latched it.
    Result LoadWord(ControlWord word);

    // The word last latched through LE line `le` (1 to 6), or through the
    // parallel latch; nullopt when nothing was loaded since the start or Reset.
    std::optional<ControlWord> LoadedWord(int le) const;
    std::optional<ControlWord> LoadedParallelWord() const { return parallelWord_; }
    // What the selected line (or the parallel latch, for a parallel model) holds.
    std::optional<ControlWord> LoadedOnSelection() const;

    // No model, LE line 1, nothing recorded. Nothing is sent.
    void Reset();

private:
    Board& board_;
    int32_t port_;
    const ModelProfile* model_ = nullptr;
    int le_ = 1;
    std::array<std::optional<ControlWord>, kLeLineCount + 1> lineWords_{};
    std::optional<ControlWord> parallelWord_;
};
