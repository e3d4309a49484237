// The options that say what to install (shared by plan and install).
#pragma once

#include <optional>
#include <string>

#include "install/plan.h"

namespace CLI {
class App;
}

namespace tq::cli {

struct ChoiceOptions {
    std::string model = "1";
    std::string arch;  // empty: the WOW64 test
    std::string port = "LPT1:";
    bool makeDefault = true;
    std::string serialPort = "LPT1";
    std::string baud = "19200";
    std::string parity = "none";
    std::string dataBits = "8";
    std::string stopBits = "1";
    std::string flow = "hardware";
    std::optional<std::string> driverDir;
};

// Adds --model (required, or with the default row) and --arch.
void AddModelOptions(CLI::App& app, std::string& model, std::string& arch, bool modelRequired);

// Adds --model, --arch, --port, --default/--no-default, --serial-port, --baud,
// --parity, --data-bits, --stop-bits, --flow to `app`. --driver-dir only when
// `withDriverDir` (the plan command takes it; a real install asks the spooler).
void AddChoiceOptions(CLI::App& app, ChoiceOptions& options, bool withDriverDir);

// The model for "ROW" (0..18) or an exact display name; nullptr when neither.
const ModelEntry* FindModel(const std::string& rowOrName);

// The choices the options say; throws CLI::ValidationError naming the option.
InstallChoices ResolveChoices(const ChoiceOptions& options);

}  // namespace tq::cli
