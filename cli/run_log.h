// tqinstall --log FILE: one JSON line per run of a command that changes the
// machine, appended, so that a fleet tool can collect what happened where.
#pragma once

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/report_output.h"
#include "install/plan.h"
#include "install/install_run.h"

namespace CLI {
class App;
}

namespace tq::cli {

// "2024-05-01T09:30:00Z"
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

// The computer's name as the log lines and the test receipt give it
// (COMPUTERNAME); empty where it is not set.
std::string ComputerName();

// The choices of an installation as the log and the reports name them.
nlohmann::json ChoicesToJson(const InstallChoices& choices);

// {"time", "machine", "command", "choices", "exitStatus", "succeeded",
//  "environment", "steps": [each step as the JSON report gives it (StepToJson)]}
nlohmann::json LogLine(const std::string& time, const std::string& machine, const std::string& command,
                       const nlohmann::json& choices, const InstallReport& report, int exitStatus,
                       const ErrorTextFn& errorText);

// The one line as written: compact JSON (non-UTF-8 bytes replaced) and "\n".
std::string LogLineText(const nlohmann::json& line);

// Adds --log FILE to a command that changes the machine.
void AddLogOption(CLI::App& app, std::optional<std::string>& log);

// The --log file, opened for appending before the command does anything (a
// file that cannot be opened stops the command with status 2).
class RunLogFile {
public:
    // False, with the reason on stderr, when `path` cannot be opened.
    bool Open(const std::optional<std::string>& path);
    // Appends the run's line; false (said on stderr) when it could not be written.
    bool Write(const std::string& command, const nlohmann::json& choices, const InstallReport& report,
               int exitStatus);
    // Appends a line made elsewhere (apply's, with every printer's report).
    bool WriteLine(const nlohmann::json& line);

private:
    std::optional<std::string> path_;
    std::unique_ptr<std::ofstream> out_;
};

}  // namespace tq::cli
