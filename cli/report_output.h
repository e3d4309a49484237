// The installation report as JSON and as readable text.
#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "install/install_run.h"

namespace tq::cli {

// The system's message for an error code (FormatMessage), empty when unknown.
using ErrorTextFn = std::function<std::string(platform::ErrorCode)>;

nlohmann::json ReportToJson(const InstallReport& report, const ErrorTextFn& errorText);
std::string ReportToText(const InstallReport& report, const ErrorTextFn& errorText);

// tqinstall's exit status for a report (an installation's or an
// uninstallation's): 0 clean, 3 when a failure was an access denial (no
// administrator rights), else 1.
int InstallExitStatus(const InstallReport& report);

// What the step's outcome means, in words ("written", "already there", ...).
std::string OutcomeWords(const StepReport& step);

}  // namespace tq::cli
