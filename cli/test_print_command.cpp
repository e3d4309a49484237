#include "cli/test_print_command.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "cli/choice_options.h"
#include "cli/exit_codes.h"
#include "cli/console_output.h"
#include "cli/run_log.h"
#include "install/machine.h"
#include "install/test_receipt.h"
#include "platform/system_services.h"

#ifndef TQ_VERSION
#error "TQ_VERSION: the project's version, set by the build"
#endif

namespace tq::cli {
namespace {

// "2026-12-11 16:05:09", the local time of the machine that prints.
std::string LocalDateTime() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void AddReceiptOptions(CLI::App& app, ReceiptOptions& o, CLI::Option* needs) {
    auto* drawer = app.add_option("--drawer", o.drawer, "Kick the cash drawer on connector pin 2 or 5")
                       ->check(CLI::IsMember({2, 5}));
    auto* noCut = app.add_flag("--no-cut", o.noCut, "Do not cut the receipt (a model without a cutter never cuts)");
    auto* timeout = app.add_option("--timeout", o.timeoutSeconds,
                                   "Seconds to wait for the job to leave the printer's queue (default 30)")
                        ->check(CLI::Range(0.0, 86400.0));
    if (needs) {
        drawer->needs(needs);
        noCut->needs(needs);
        timeout->needs(needs);
    }
}

void AddTestPrintOptions(CLI::App& app, TestPrintOptions& o) {
    app.add_option("--model", o.model, "Model: row 0..18 or the exact display name (see 'models')")->required();
    AddReceiptOptions(app, o.receipt);
    app.add_flag("--json", o.json, "Print the report as JSON");
    AddLogOption(app, o.log);
}

TestPrintRun PrintTestReceipt(platform::Spooler& spooler, platform::Sleeper& sleeper, const ModelEntry& model,
                              const ReceiptOptions& o) {
    TestPrintRun run;
    run.settings.model = &model;
    run.settings.cut = model.hasCutter && !o.noCut;
    run.settings.drawerPin = o.drawer.value_or(0);
    run.settings.timeoutMs = static_cast<std::int64_t>(o.timeoutSeconds * 1000.0);

    TestPrintRequest request;
    request.printer = model.displayName;
    request.timeoutMs = run.settings.timeoutMs;
    request.nowMs = SteadyMs;
    request.receipt = [&](const platform::InstalledPrinter& printer) {
        ReceiptFacts facts;
        facts.model = model.displayName;
        facts.driver = printer.driver;
        facts.port = printer.port;
        facts.computer = ComputerName();
        facts.dateTime = LocalDateTime();
        facts.version = TQ_VERSION;
        facts.paperWidthMm = model.paperWidthMm;
        facts.cut = run.settings.cut;
        facts.drawerPin = run.settings.drawerPin;
        return BuildTestReceipt(facts);
    };
    run.report = SendTestReceipt(spooler, sleeper, request);
    return run;
}

bool LogTestPrint(RunLogFile& log, const TestPrintRun& run, int exitStatus) {
    return log.WriteLine(TestPrintLogLine(UtcTimestamp(std::chrono::system_clock::now()), ComputerName(),
                                          run.settings, run.report, exitStatus, platform::SystemErrorText));
}

int RunTestPrint(const TestPrintOptions& o) {
    const ModelEntry* model = FindModel(o.model);
    if (!model) {
        std::cerr << "tqinstall: --model: '" << o.model << "' is neither a row 0..18 nor a display name (see 'models')\n";
        return kExitBadArguments;
    }
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("test-print");
    RunLogFile log;
    if (!log.Open(o.log)) return kExitBadArguments;

    const TestPrintRun run = PrintTestReceipt(machine->spooler(), machine->Platform().sleeper, *model, o.receipt);
    if (o.json) {
        PrintJson(TestPrintToJson(run.settings, run.report, platform::SystemErrorText));
    } else {
        std::cout << TestPrintToText(run.settings, run.report, platform::SystemErrorText);
    }
    int status = TestPrintExitStatus(run.report);
    if (!LogTestPrint(log, run, status) && status == kExitDone) status = kExitFailed;
    return status;
}

}  // namespace tq::cli
