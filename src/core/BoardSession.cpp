#include "core/BoardSession.h"

BoardSession::BoardSession(Board& board, int32_t port) : board_(board), port_(port) {}

bool BoardSession::SetLe(int le) {
    if (le < 1 || le > kLeLineCount) {
        return false;
    }
    le_ = le;
    return true;
}

BoardSession::Result BoardSession::LoadWord(ControlWord word) {
    Result result;
    if (model_ == nullptr) {
        return result;
    }
    result.outcome = board_.Load(port_, model_->interfaceClass, word, le_);
    if (result.outcome.latched) {
        if (model_->IsParallel()) {
            parallelWord_ = word;
        } else {
            lineWords_[static_cast<std::size_t>(le_)] = word;
        }
    }
    if (!Board::PortConfigured(port_)) {
        result.problem = PortProblem::NotListed;
        result.reason = "No port address is set.";
    } else if (board_.PortUnavailable(port_)) {
        result.problem = board_.ProblemOf(port_);
        result.reason = board_.ReasonOf(port_);
    }
    return result;
}

std::optional<ControlWord> BoardSession::LoadedWord(int le) const {
    if (le < 1 || le > kLeLineCount) {
        return std::nullopt;
    }
    return lineWords_[static_cast<std::size_t>(le)];
}

std::optional<ControlWord> BoardSession::LoadedOnSelection() const {
    if (model_ != nullptr && model_->IsParallel()) {
        return parallelWord_;
    }
    return LoadedWord(le_);
}

void BoardSession::Reset() {
    model_ = nullptr;
    le_ = 1;
    lineWords_ = {};
    parallelWord_.reset();
}
