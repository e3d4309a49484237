#include "cli/report_output.h"

#include <algorithm>
#include <sstream>

#include "cli/exit_codes.h"

namespace tq::cli {
namespace {

bool IsRegistryStep(StepKind kind) { return kind == StepKind::DefaultPrinter || kind == StepKind::PortSettings; }

// What was attempted, as the report's first words for the step.
std::string StepTitle(const StepReport& s) {
    switch (s.kind) {
        case StepKind::DriverDirectory: return "Driver directory for " + s.subject + ": " + s.target;
        case StepKind::CopyFile: return "Copy " + s.source + " to " + s.target;
        case StepKind::RegisterDriver: return "Register driver \"" + s.subject + "\" for " + s.target;
        case StepKind::CreatePrinter: return "Create printer \"" + s.subject + "\" on port \"" + s.target + "\"";
        case StepKind::DefaultPrinter:
            return s.subject.empty() ? "Default printer value" : "Default printer value " + s.target + "\\" + s.subject;
        case StepKind::PortSettings:
            return s.subject.empty() ? "Port settings value" : "Port settings value " + s.target + "\\" + s.subject;
        case StepKind::ClosePrinter: return "Close the printer handle";
        case StepKind::PrinterPort: return "Printer \"" + s.subject + "\" on port \"" + s.target + "\"";
        case StepKind::DeletePrinter: return "Delete printer \"" + s.subject + "\"";
        case StepKind::RemoveDefaultPrinter: return "Default printer value " + s.target + "\\" + s.subject;
        case StepKind::DeleteDriver: return "Delete driver \"" + s.subject + "\" for " + s.target;
        case StepKind::RemoveFile: return "Remove " + s.target;
        case StepKind::NetworkPort:
            return "Standard TCP/IP port \"" + s.subject + "\" (RAW on " + s.target + ", SNMP off)";
    }
    return "?";
}

}  // namespace

std::string OutcomeWords(const StepReport& s) {
    switch (s.outcome) {
        case StepOutcome::Succeeded:
            if (s.kind == StepKind::NetworkPort) return "made";
            return IsRegistryStep(s.kind) ? "written" : "done";
        case StepOutcome::AlreadyThere:
            return s.kind == StepKind::NetworkPort ? "already there with these settings; used as it is" : "already there";
        case StepOutcome::NotNeeded: return IsRegistryStep(s.kind) ? "not planned" : "no printer handle to close";
        case StepOutcome::Failed: return s.detail.empty() ? "FAILED" : "FAILED: " + s.detail;
        case StepOutcome::NoDriverDirectory:
            return s.kind == StepKind::CopyFile ? "NOT COPIED: the spooler reported no driver directory"
                                                : "FAILED: the spooler reported no driver directory";
        case StepOutcome::KeyNotOpened: return "NOT WRITTEN: the key could not be opened";
        case StepOutcome::NotWritten: return "NOT WRITTEN";
        case StepOutcome::Moved: return "moved from \"" + s.detail + "\"";
        case StepOutcome::NotThere:
            if (s.kind == StepKind::RemoveDefaultPrinter) {
                return s.detail.empty() ? "not there" : "left as it is: it names another printer (" + s.detail + ")";
            }
            return "not there, nothing to remove";
        case StepOutcome::Kept: return "kept: the driver \"" + s.detail + "\" still uses it";
        case StepOutcome::InUse:
            return s.detail.empty() ? "NOT DELETED: a printer still uses it"
                                    : "NOT DELETED: still used by the printer(s) " + s.detail;
        case StepOutcome::NoPortMonitor:
            return "NOT MADE: this Windows has no \"Standard TCP/IP Port\" port monitor; nothing was installed "
                   "(make the port by hand, or pick a port that 'tqinstall ports' lists)";
        case StepOutcome::PortDiffers:
            return "NOT CHANGED: a port of this name exists and is " + s.detail +
                   "; nothing was installed (change or delete that port, or pick another --port)";
    }
    return "?";
}

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

nlohmann::json ReportToJson(const InstallReport& report, const ErrorTextFn& errorText) {
    nlohmann::json steps = nlohmann::json::array();
    for (const auto& s : report.steps) {
        steps.push_back({{"step", StepKindName(s.kind)},
                         {"subject", s.subject},
                         {"target", s.target},
                         {"source", s.source},
                         {"detail", s.detail},
                         {"outcome", StepOutcomeName(s.outcome)},
                         {"failed", IsFailure(s.outcome)},
                         {"error", s.error},
                         {"message", s.error ? errorText(s.error) : std::string()},
                         {"durationMs", s.durationMs}});
    }
    return {{"environment", report.environment},
            {"driverDirectory", report.driverDirectory},
            {"succeeded", report.Clean()},
            {"steps", steps}};
}

std::string ReportToText(const InstallReport& report, const ErrorTextFn& errorText) {
    std::ostringstream out;
    int failed = 0;
    for (const auto& s : report.steps) {
        if (IsFailure(s.outcome)) ++failed;
        out << StepTitle(s) << ": " << OutcomeWords(s);
        if (s.error) {
            out << " (error " << s.error;
            const std::string message = errorText(s.error);
            if (!message.empty()) out << ": " << message;
            out << ")";
        }
        out << " [" << s.durationMs << " ms]\n";
    }
    if (failed == 0) {
        out << "Every step succeeded.\n";
    } else {
        out << failed << " of " << report.steps.size() << " steps failed.\n";
    }
    return out.str();
}

}  // namespace tq::cli
