// Building blocks of the runs' step reports, shared by install/ sources.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include "install/install_run.h"

namespace tq::steps {

// Measures one step from its construction.
class StepTimer {
public:
    StepTimer() : start_(std::chrono::steady_clock::now()) {}
    std::int64_t ElapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_;
};

inline StepReport Step(StepKind kind, std::string subject, std::string target) {
    StepReport step;
    step.kind = kind;
    step.subject = std::move(subject);
    step.target = std::move(target);
    return step;
}

inline void SetFailure(StepReport& step, const platform::CallResult& call) {
    step.outcome = StepOutcome::Failed;
    step.error = call.error;
}

// Runs one step: makes its report, times `action(step)`, which makes the calls
// and may set the step's outcome, error, target or detail itself, and marks
// the step Failed with the error of the CallResult the action returns when
// that one failed. The caller appends the step to its report.
template <class Action>
StepReport RunStep(StepKind kind, std::string subject, std::string target, Action action) {
    StepReport step = Step(kind, std::move(subject), std::move(target));
    const StepTimer timer;
    const platform::CallResult call = action(step);
    if (!call.ok) SetFailure(step, call);
    step.durationMs = timer.ElapsedMs();
    return step;
}

}  // namespace tq::steps
