// The installation report as JSON and as readable text.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "install/install_run.h"
#include "install/step_words.h"

namespace tq::cli {

nlohmann::json ReportToJson(const InstallReport& report, const ErrorTextFn& errorText);
std::string ReportToText(const InstallReport& report, const ErrorTextFn& errorText);

// tqinstall's exit status for a report (an installation's or an
// uninstallation's): 0 clean, 3 when a failure was an access denial (no
// administrator rights), else 1.
int InstallExitStatus(const InstallReport& report);

// One step as the JSON report and the log line give it.
// `changesKnown`: the run looked before it acted; else "changed" is null.
nlohmann::json StepToJson(const StepReport& step, const ErrorTextFn& errorText, bool changesKnown);

}  // namespace tq::cli
