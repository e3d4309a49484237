// What endpoint management asks of a machine: whether a model is installed
// (a detection rule), and making a model's printer the user's default printer.
#pragma once

#include <optional>
#include <string>

#include "catalog/model_catalog.h"
#include "install/install_run.h"
#include "install/machine_status.h"
#include "platform/registry.h"
#include "platform/spooler.h"

namespace tq {

// One line such as `TQ-A31 Series: driver registered for Windows NT x86,
// printer "TQ-A31 Series" on LPT2:` when the model's driver is registered for
// `environment` and the model's printer exists and prints through that driver;
// nullopt otherwise.
std::optional<std::string> DetectModel(const MachineStatus& status, const ModelEntry& model,
                                       const std::string& environment);

struct SetDefaultResult {
    // The printer of the model's name; nullopt when there is none (or the
    // printer list could not be read: `listCall` says so).
    std::optional<platform::InstalledPrinter> printer;
    platform::CallResult listCall;
    // The default-printer value: Succeeded (written) or NotNeeded (it held
    // that text already), or why it failed. Not attempted without a printer.
    std::optional<StepReport> step;
};

// Makes the model's printer the default printer of the current user: the
// "Device" value under HKEY_CURRENT_USER becomes "<printer>,winspool,<port>",
// unless it holds that text already.
SetDefaultResult SetDefaultPrinter(const ModelEntry& model, platform::Spooler& spooler,
                                   platform::Registry& registry);

}  // namespace tq
