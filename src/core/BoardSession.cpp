#include "core/BoardSession.h"

#include "port/PortAccess.h"

BoardSession::BoardSession(PortAccess& access, int32_t port) : access_(access), port_(port) {}

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
    // The window records its display, which shows an attenuation as a negative value.
    const auto displayed = static_cast<float>(-AttenuationOf(*model_, word));
    result.outcome = Load(access_, port_, model_->interfaceClass, StepsOfWord(word),
                          static_cast<int16_t>(le_), displayed, leMemory_);
    if (result.outcome.latched) {
        if (model_->IsParallel()) {
            parallelWord_ = word;
        } else {
            lineWords_[static_cast<std::size_t>(le_)] = word;
        }
    }
    if (!PortAccess::PortConfigured(port_)) {
        result.problem = PortProblem::NotListed;
        result.reason = "No port address is set.";
    } else if (access_.PortUnavailable(port_)) {
        result.problem = access_.ProblemOf(port_);
        result.reason = access_.ReasonOf(port_);
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
    leMemory_ = {};
}
