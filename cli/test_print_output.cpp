#include "cli/test_print_output.h"

#include <cstdio>
#include <sstream>

#include "cli/exit_codes.h"
#include "install/printer_state.h"
#include "install/test_receipt.h"

namespace tq::cli {
namespace {

std::string CallFailure(const TestPrintReport& r, const ErrorTextFn& errorText) {
    std::string text = r.failedCall + " failed";
    if (r.error) {
        text += " with error " + std::to_string(r.error);
        const std::string message = errorText(r.error);
        if (!message.empty()) text += " (" + message + ")";
    }
    return text;
}

std::string JobWords(const TestPrintReport& r) {
    if (r.jobLeft) {
        const auto last = printer_state::JobWords(r.jobStatus);
        return r.jobSeen && !last.empty() ? "left the queue, last seen " + printer_state::Joined(last, "") : "left the queue";
    }
    if (!r.jobSeen) {
        if (r.jobQueryError) return "not readable (GetJobA error " + std::to_string(r.jobQueryError) + ")";
        return "not seen in the queue";
    }
    std::string words = printer_state::Joined(printer_state::JobWords(r.jobStatus), "no status bits");
    if (!r.jobStatusText.empty()) words += " (\"" + r.jobStatusText + "\")";
    return words;
}

std::string PrinterWords(const TestPrintReport& r) {
    if (!r.printerRead) return "not read";
    return printer_state::PrinterStateText(r.printerStatus, r.printerAttributes);
}

// "30", "2.5": the timeout as it was given.
std::string Seconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(ms) / 1000.0);
    return text;
}

// What happened, in one sentence or two.
std::string Verdict(const TestPrintReport& r, std::int64_t timeoutMs, const ErrorTextFn& errorText) {
    switch (r.outcome) {
        case TestPrintOutcome::Printed:
            return "Printed: the job left the queue without an error.";
        case TestPrintOutcome::NoSuchPrinter:
            return "There is no printer named \"" + r.printer +
                   "\". Install it first (tqinstall install --model ...), or see 'tqinstall status'.";
        case TestPrintOutcome::NotOpened:
            return "The printer \"" + r.printer + "\" could not be opened: " + CallFailure(r, errorText) + ".";
        case TestPrintOutcome::NotSent:
            if (r.failedCall == "WritePrinter" && r.error == 0) {
                return "The receipt was not sent whole: the spooler took " + std::to_string(r.bytesWritten) + " of " +
                       std::to_string(r.bytes) + " bytes.";
            }
            return "The receipt was not sent: " + CallFailure(r, errorText) + ".";
        case TestPrintOutcome::JobFailed:
            return "The job failed (job: " + JobWords(r) + "; printer: " + PrinterWords(r) +
                   "). Check the printer's queue and the printer.";
        case TestPrintOutcome::PrinterNotReady:
            return "The job left the queue, but the printer reports: " + PrinterWords(r) +
                   ". Check that it is switched on and connected, has paper and its cover is closed.";
        case TestPrintOutcome::StillQueued:
            return "The job is still in the queue after " + Seconds(timeoutMs) + " s (job: " + JobWords(r) +
                   "; printer: " + PrinterWords(r) + "). It prints once the printer is ready; delete it from the printer's queue if it should not.";
    }
    return "";
}

}  // namespace

int TestPrintExitStatus(const TestPrintReport& report) { return report.Succeeded() ? kExitDone : kExitFailed; }

nlohmann::json TestPrintToJson(const TestPrintSettings& s, const TestPrintReport& r, const ErrorTextFn& errorText) {
    nlohmann::json job = nullptr;
    if (r.jobSeen) {
        job = {{"status", r.jobStatus}, {"words", printer_state::JobWords(r.jobStatus)}, {"text", r.jobStatusText}};
    }
    nlohmann::json printer = nullptr;
    if (r.printerRead) {
        printer = {{"status", r.printerStatus},
                   {"attributes", r.printerAttributes},
                   {"words", printer_state::PrinterWords(r.printerStatus, r.printerAttributes)},
                   {"state", printer_state::PrinterStateText(r.printerStatus, r.printerAttributes)},
                   {"jobsWaiting", r.jobsWaiting}};
    }
    return {{"model", s.model->displayName},
            {"row", s.model->index},
            {"printer", r.printer},
            {"port", r.port},
            {"driver", r.driver},
            {"paperWidthMm", s.model->paperWidthMm},
            {"columns", ReceiptColumns(s.model->paperWidthMm)},
            {"cut", s.cut},
            {"drawerPin", s.drawerPin ? nlohmann::json(s.drawerPin) : nlohmann::json(nullptr)},
            {"bytes", r.bytes},
            {"jobId", r.jobId ? nlohmann::json(r.jobId) : nlohmann::json(nullptr)},
            {"outcome", TestPrintOutcomeName(r.outcome)},
            {"succeeded", r.Succeeded()},
            {"words", Verdict(r, s.timeoutMs, errorText)},
            {"failedCall", r.failedCall.empty() ? nlohmann::json(nullptr) : nlohmann::json(r.failedCall)},
            {"error", r.error},
            {"message", r.error ? errorText(r.error) : std::string()},
            {"jobLeft", r.jobLeft},
            {"jobStatus", job},
            {"jobQueryError", r.jobQueryError},
            {"printerStatus", printer},
            {"waitedMs", r.waitedMs},
            {"timeoutMs", s.timeoutMs}};
}

std::string TestPrintToText(const TestPrintSettings& s, const TestPrintReport& r, const ErrorTextFn& errorText) {
    std::ostringstream out;
    out << "Test receipt for \"" << r.printer << "\"";
    if (!r.port.empty()) out << " on " << r.port;
    out << ": " << s.model->paperWidthMm << " mm, " << ReceiptColumns(s.model->paperWidthMm) << " columns, "
        << (s.cut ? "cut" : "no cut");
    if (s.drawerPin) out << ", drawer pin " << s.drawerPin;
    out << "\n";
    if (r.jobId) out << "  job " << r.jobId << ", " << r.bytesWritten << " of " << r.bytes << " bytes sent\n";
    if (r.jobId) out << "  job status:     " << JobWords(r) << "\n";
    if (r.printerRead) {
        out << "  printer status: " << PrinterWords(r) << ", " << r.jobsWaiting << " job(s) waiting\n";
    }
    out << Verdict(r, s.timeoutMs, errorText) << "\n";
    return out.str();
}

nlohmann::json TestPrintLogLine(const std::string& time, const std::string& machine, const TestPrintSettings& s,
                                const TestPrintReport& r, int exitStatus, const ErrorTextFn& errorText) {
    const nlohmann::json choices = {{"model", s.model->displayName},
                                    {"row", s.model->index},
                                    {"cut", s.cut},
                                    {"drawerPin", s.drawerPin ? nlohmann::json(s.drawerPin) : nlohmann::json(nullptr)},
                                    {"timeoutMs", s.timeoutMs}};
    // The keys of a step as the other commands' lines give them. A receipt
    // changes nothing in the machine's setup.
    const nlohmann::json step = {{"step", "testPrint"},
                                 {"subject", r.printer},
                                 {"target", r.port},
                                 {"source", ""},
                                 {"detail", Verdict(r, s.timeoutMs, errorText)},
                                 {"outcome", TestPrintOutcomeName(r.outcome)},
                                 {"failed", !r.Succeeded()},
                                 {"error", r.error},
                                 {"message", r.error ? errorText(r.error) : std::string()},
                                 {"durationMs", r.waitedMs},
                                 {"changed", false}};
    return {{"time", time},
            {"machine", machine},
            {"command", "test-print"},
            {"choices", choices},
            {"exitStatus", exitStatus},
            {"succeeded", r.Succeeded()},
            {"changed", false},
            {"environment", ""},
            {"steps", nlohmann::json::array({step})}};
}

}  // namespace tq::cli
