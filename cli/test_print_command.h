// tqinstall test-print, and the test receipt that install --test-print sends.
#pragma once

#include <optional>
#include <string>

#include "cli/test_print_output.h"
#include "platform/sleeper.h"
#include "platform/spooler.h"

namespace CLI {
class App;
class Option;
}

namespace tq::cli {

// --drawer, --no-cut, --timeout: shared by test-print and install --test-print.
struct ReceiptOptions {
    std::optional<int> drawer;  // 2 or 5
    bool noCut = false;
    double timeoutSeconds = 30;
};

struct TestPrintOptions {
    std::string model;
    ReceiptOptions receipt;
    bool json = false;
    std::optional<std::string> log;
};

// Adds --drawer, --no-cut and --timeout; each needs `needs` when it is given.
void AddReceiptOptions(CLI::App& app, ReceiptOptions& options, CLI::Option* needs = nullptr);
void AddTestPrintOptions(CLI::App& app, TestPrintOptions& options);
int RunTestPrint(const TestPrintOptions& options);

struct TestPrintRun {
    TestPrintSettings settings;
    TestPrintReport report;
};

// Sends the model's test receipt to the printer of its display name and waits
// for the job (real time, through `sleeper`).
TestPrintRun PrintTestReceipt(platform::Spooler& spooler, platform::Sleeper& sleeper, const ModelEntry& model,
                              const ReceiptOptions& options);

// Appends the test print's line to an open --log file (no-op without one).
class RunLogFile;
bool LogTestPrint(RunLogFile& log, const TestPrintRun& run, int exitStatus);

}  // namespace tq::cli
