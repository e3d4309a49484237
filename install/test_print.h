// One test receipt sent to a printer as a RAW job, and the wait until the job
// has left the printer's queue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/sleeper.h"
#include "platform/spooler.h"

namespace tq {

enum class TestPrintOutcome {
    Printed,          // the job left the queue without an error, the printer reports nothing wrong
    NoSuchPrinter,    // OpenPrinterA: the spooler knows no printer of that name
    NotOpened,        // OpenPrinterA or GetPrinterA failed otherwise
    NotSent,          // StartDocPrinterA, WritePrinter or EndDocPrinter failed
    JobFailed,        // the job reported an error or was deleted
    PrinterNotReady,  // the job left the queue, but the printer reports offline, error, ...
    StillQueued,      // the job was still in the queue at the timeout
};

const char* TestPrintOutcomeName(TestPrintOutcome outcome);  // "printed", "noSuchPrinter", ...

struct TestPrintReport {
    TestPrintOutcome outcome = TestPrintOutcome::NotOpened;
    std::string printer;
    std::string port;    // from GetPrinterA
    std::string driver;
    std::string failedCall;  // the call that failed ("OpenPrinterA", "WritePrinter", ...), if one did
    platform::ErrorCode error = platform::kErrorSuccess;
    std::uint32_t jobId = 0;
    std::size_t bytes = 0;         // the receipt's size
    std::uint32_t bytesWritten = 0;
    bool jobLeft = false;          // the job left the queue within the timeout
    bool jobSeen = false;          // GetJobA found the job in the queue at least once
    std::uint32_t jobStatus = 0;   // JOB_STATUS_* bits, as last seen
    std::string jobStatusText;     // the port monitor's words, as last seen
    platform::ErrorCode jobQueryError = platform::kErrorSuccess;  // GetJobA's last error other than "no such job"
    bool printerRead = false;      // the printer's state below was read after the wait
    std::uint32_t printerStatus = 0;      // PRINTER_STATUS_* bits
    std::uint32_t printerAttributes = 0;  // PRINTER_ATTRIBUTE_* bits
    std::uint32_t jobsWaiting = 0;        // jobs in the printer's queue
    std::int64_t waitedMs = 0;

    bool Succeeded() const { return outcome == TestPrintOutcome::Printed; }
};

struct TestPrintRequest {
    std::string printer;
    std::int64_t timeoutMs = 30000;
    unsigned pollMs = 250;
    // Makes the receipt once the printer's port and driver are known.
    std::function<std::string(const platform::InstalledPrinter&)> receipt;
    // Milliseconds on a steady clock.
    std::function<std::int64_t()> nowMs;
};

// Opens the printer, sends the receipt as one RAW job (StartDocPrinterA,
// WritePrinter, EndDocPrinter), then asks for the job every `pollMs` until it
// has left the queue or `timeoutMs` has passed, and reads the printer's state.
// A job that left the queue counts as printed only when neither the job nor
// the printer reported trouble: the spooler opens a printer whose device is
// gone as readily as any other.
TestPrintReport SendTestReceipt(platform::Spooler& spooler, platform::Sleeper& sleeper,
                                const TestPrintRequest& request);

}  // namespace tq
