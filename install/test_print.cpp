#include "install/test_print.h"

#include "install/printer_state.h"

namespace tq {

const char* TestPrintOutcomeName(TestPrintOutcome outcome) {
    switch (outcome) {
        case TestPrintOutcome::Printed: return "printed";
        case TestPrintOutcome::NoSuchPrinter: return "noSuchPrinter";
        case TestPrintOutcome::NotOpened: return "notOpened";
        case TestPrintOutcome::NotSent: return "notSent";
        case TestPrintOutcome::JobFailed: return "jobFailed";
        case TestPrintOutcome::PrinterNotReady: return "printerNotReady";
        case TestPrintOutcome::StillQueued: return "stillQueued";
    }
    return "unknown";
}

TestPrintReport SendTestReceipt(platform::Spooler& spooler, platform::Sleeper& sleeper,
                                const TestPrintRequest& request) {
    TestPrintReport report;
    report.printer = request.printer;
    auto fail = [&](TestPrintOutcome outcome, const char* call, platform::ErrorCode error) {
        report.outcome = outcome;
        report.failedCall = call;
        report.error = error;
    };

    const platform::OpenPrinterResult opened = spooler.OpenPrinterToPrint(request.printer);
    if (!opened.call.ok) {
        fail(opened.call.error == platform::kErrorInvalidPrinterName ? TestPrintOutcome::NoSuchPrinter
                                                           : TestPrintOutcome::NotOpened,
             "OpenPrinterA", opened.call.error);
        return report;
    }
    const platform::PrinterHandle handle = opened.handle;
    const platform::PrinterDetails before = spooler.GetPrinter(handle);
    if (!before.call.ok) {
        fail(TestPrintOutcome::NotOpened, "GetPrinterA", before.call.error);
        spooler.ClosePrinter(handle);
        return report;
    }
    report.port = before.printer.port;
    report.driver = before.printer.driver;

    const std::string receipt = request.receipt(before.printer);
    report.bytes = receipt.size();
    const platform::DocumentStart started = spooler.StartDocPrinter(handle, "tqinstall test receipt", "RAW");
    if (!started.call.ok) {
        fail(TestPrintOutcome::NotSent, "StartDocPrinterA", started.call.error);
        spooler.ClosePrinter(handle);
        return report;
    }
    report.jobId = started.jobId;
    const platform::CallResult written = spooler.WritePrinter(handle, receipt, &report.bytesWritten);
    // The document is ended even after a failed write, so no open job is left behind.
    const platform::CallResult ended = spooler.EndDocPrinter(handle);
    if (!written.ok || report.bytesWritten != receipt.size()) {
        fail(TestPrintOutcome::NotSent, "WritePrinter",
             written.ok ? platform::kErrorSuccess : written.error);
    } else if (!ended.ok) {
        fail(TestPrintOutcome::NotSent, "EndDocPrinter", ended.error);
    }

    bool left = false;
    if (report.failedCall.empty()) {
        const std::int64_t start = request.nowMs();
        for (;;) {
            const platform::JobDetails job = spooler.GetJob(handle, report.jobId);
            if (job.call.ok) {
                report.jobSeen = true;
                report.jobStatus = job.status;
                report.jobStatusText = job.statusText;
                // A printer set to keep printed documents keeps the job, marked printed.
                if ((job.status & (printer_state::kJobPrinted | printer_state::kJobComplete)) &&
                    !printer_state::JobInTrouble(job.status)) {
                    left = true;
                }
            } else if (job.call.error == platform::kErrorInvalidParameter) {
                left = true;  // the spooler no longer knows the job: it has left the queue
            } else {
                // Another answer (Wine gives ERROR_INVALID_HANDLE for a job it
                // no longer holds): the job has left when the queue is empty.
                report.jobQueryError = job.call.error;
                const platform::PrinterDetails queue = spooler.GetPrinter(handle);
                if (queue.call.ok && queue.printer.jobs == 0) left = true;
            }
            report.waitedMs = request.nowMs() - start;
            if (left || report.waitedMs >= request.timeoutMs) break;
            sleeper.Sleep(request.pollMs);
        }
    }

    const platform::PrinterDetails after = spooler.GetPrinter(handle);
    if (after.call.ok) {
        report.printerRead = true;
        report.printerStatus = after.printer.status;
        report.printerAttributes = after.printer.attributes;
        report.jobsWaiting = after.printer.jobs;
    }
    spooler.ClosePrinter(handle);
    if (!report.failedCall.empty()) return report;

    report.jobLeft = left;
    const bool jobTrouble = report.jobSeen && printer_state::JobInTrouble(report.jobStatus);
    if (left) {
        if (jobTrouble) {
            report.outcome = TestPrintOutcome::JobFailed;  // deleted after an error, or by a person
        } else if (report.printerRead && printer_state::PrinterInTrouble(report.printerStatus, report.printerAttributes)) {
            report.outcome = TestPrintOutcome::PrinterNotReady;
        } else {
            report.outcome = TestPrintOutcome::Printed;
        }
    } else {
        constexpr std::uint32_t kFailedJob =
            printer_state::kJobError | printer_state::kJobDeleting | printer_state::kJobDeleted;
        report.outcome = (report.jobStatus & kFailedJob) ? TestPrintOutcome::JobFailed : TestPrintOutcome::StillQueued;
    }
    return report;
}

}  // namespace tq
