// The package check and the machine status as JSON and as readable text.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/report_output.h"
#include "install/machine_status.h"
#include "install/package_check.h"

namespace tq::cli {

nlohmann::json PackageCheckToJson(const std::string& package, const std::vector<PackageFolderCheck>& check);
std::string PackageCheckToText(const std::string& package, const std::vector<PackageFolderCheck>& check);

nlohmann::json StatusToJson(const MachineStatus& status, const ErrorTextFn& errorText);
std::string StatusToText(const MachineStatus& status, const ErrorTextFn& errorText);

// 0 when every query was answered; 3 when one was refused (access denied); else 1.
int StatusExitStatus(const MachineStatus& status);

}  // namespace tq::cli
