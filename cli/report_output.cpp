#include "cli/report_output.h"

#include <algorithm>
#include <sstream>

#include "cli/exit_codes.h"
#include "platform/system_services.h"

namespace tq::cli {
int InstallExitStatus(const InstallReport& report) {
    if (report.Clean()) return kExitDone;
    // A driver file refused after this run deleted the driver is held open (by
    // the spooler, say): the rights were there.
    const bool driverDeleted = std::any_of(report.steps.begin(), report.steps.end(), [](const StepReport& s) {
        return s.kind == StepKind::DeleteDriver && s.outcome == StepOutcome::Succeeded;
    });
    for (const auto& step : report.steps) {
        if (!IsFailure(step.outcome) || step.error != platform::kErrorAccessDenied) continue;
        if (step.kind == StepKind::RemoveFile && driverDeleted) continue;
        return kExitNotAllowed;
    }
    return kExitFailed;
}

nlohmann::json StepToJson(const StepReport& s, const ErrorTextFn& errorText, bool changesKnown) {
    // Names and ports come from the spooler in the system's code page; JSON is UTF-8.
    using platform::SystemTextToUtf8;
    return {{"step", WordsOf(s.kind).name},
            {"subject", SystemTextToUtf8(s.subject)},
            {"target", SystemTextToUtf8(s.target)},
            {"source", SystemTextToUtf8(s.source)},
            {"detail", SystemTextToUtf8(s.detail)},
            {"outcome", StepOutcomeName(s.outcome)},
            {"failed", IsFailure(s.outcome)},
            {"error", s.error},
            {"message", s.error ? errorText(s.error) : std::string()},
            {"changed", changesKnown ? nlohmann::json(s.changed) : nlohmann::json()},
            {"durationMs", s.durationMs}};
}

nlohmann::json ReportToJson(const InstallReport& report, const ErrorTextFn& errorText) {
    nlohmann::json steps = nlohmann::json::array();
    for (const auto& s : report.steps) steps.push_back(StepToJson(s, errorText, report.changesKnown));
    return {{"environment", report.environment},
            {"driverDirectory", report.driverDirectory},
            {"succeeded", report.Clean()},
            {"changed", report.changesKnown ? nlohmann::json(report.Changed()) : nlohmann::json()},
            {"steps", steps}};
}

namespace {

// The steps that put something on the machine; the others (the driver
// directory query, closing a handle) only look or tidy up.
bool ChangesTheMachine(StepKind kind) {
    switch (kind) {
        case StepKind::DriverDirectory:
        case StepKind::ClosePrinter:
            return false;
        default:
            return true;
    }
}

// The outcome in words; a step that succeeded without changing anything says so.
std::string TextOutcome(const StepReport& s, bool changesKnown) {
    if (!changesKnown || s.changed || !ChangesTheMachine(s.kind)) return OutcomeWords(s);
    if (s.outcome == StepOutcome::Succeeded) return "unchanged";
    if (s.outcome == StepOutcome::AlreadyThere) return "already there, unchanged";
    return OutcomeWords(s);
}

}  // namespace

std::string ReportToText(const InstallReport& report, const ErrorTextFn& errorText) {
    std::ostringstream out;
    int failed = 0;
    for (const auto& s : report.steps) {
        if (IsFailure(s.outcome)) ++failed;
        out << WordsOf(s.kind).title(s) << ": " << TextOutcome(s, report.changesKnown);
        if (s.error) {
            out << " (error " << s.error;
            const std::string message = errorText(s.error);
            if (!message.empty()) out << ": " << message;
            out << ")";
        }
        out << " [" << s.durationMs << " ms]\n";
    }
    if (failed == 0) {
        out << (report.changesKnown && !report.Changed() ? "Every step succeeded; nothing changed.\n"
                                                          : "Every step succeeded.\n");
    } else {
        out << failed << " of " << report.steps.size() << " steps failed.\n";
    }
    return out.str();
}

}  // namespace tq::cli
