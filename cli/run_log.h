// tqinstall --log FILE: one JSON line per run of a command that changes the
// machine, appended, so that a fleet tool can collect what happened where.
#pragma once

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/report_output.h"
#include "install/plan.h"

namespace tq::cli {

// "2024-05-01T09:30:00Z"
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

// The choices of an installation as the log and the reports name them.
nlohmann::json ChoicesToJson(const InstallChoices& choices);

// {"time", "machine", "command", "choices", "exitStatus", "succeeded",
//  "environment", "steps": [{"step", "subject", "target", "outcome", "error", "message", "detail"}]}
nlohmann::json LogLine(const std::string& time, const std::string& machine, const std::string& command,
                       const nlohmann::json& choices, const InstallReport& report, int exitStatus,
                       const ErrorTextFn& errorText);

// The one line as written: compact JSON (non-UTF-8 bytes replaced) and "\n".
std::string LogLineText(const nlohmann::json& line);

}  // namespace tq::cli
