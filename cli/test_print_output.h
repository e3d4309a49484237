// tqinstall test-print: its report as JSON and as text, its exit status, and
// its --log line.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "catalog/model_catalog.h"
#include "cli/report_output.h"
#include "install/test_print.h"

namespace tq::cli {

// What was asked: the model, cut and drawer, and the timeout.
struct TestPrintSettings {
    const ModelEntry* model = nullptr;
    bool cut = false;    // the model has a cutter and --no-cut was not given
    int drawerPin = 0;   // 0, 2 or 5
    std::int64_t timeoutMs = 30000;
};

nlohmann::json TestPrintToJson(const TestPrintSettings& settings, const TestPrintReport& report,
                               const ErrorTextFn& errorText);
std::string TestPrintToText(const TestPrintSettings& settings, const TestPrintReport& report,
                            const ErrorTextFn& errorText);

// 0 when the receipt printed, else 1.
int TestPrintExitStatus(const TestPrintReport& report);

// The --log line, in the shape of the other commands' lines: one step "testPrint".
nlohmann::json TestPrintLogLine(const std::string& time, const std::string& machine, const TestPrintSettings& settings,
                                const TestPrintReport& report, int exitStatus, const ErrorTextFn& errorText);

}  // namespace tq::cli
