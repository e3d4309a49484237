// What a machine holds of the 19 models: the registered drivers (for which
// environments), the printers, their ports, and the default printer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/model_catalog.h"
#include "platform/registry.h"
#include "platform/spooler.h"

namespace tq {

struct ModelStatus {
    ModelEntry model;
    std::vector<std::string> driverEnvironments;    // where a driver of the model's name is registered
    std::optional<platform::InstalledPrinter> printer;  // the printer of the model's name
    std::vector<std::string> otherPrinters;         // printers of other names that use the model's driver
    bool isDefault = false;                         // the default-printer value names the model's printer
};

// A query that could not be answered; the status then shows less than there is.
struct QueryFailure {
    std::string call;     // "EnumPrinterDriversA", "EnumPrintersA", "RegQueryValueExA"
    std::string subject;  // the environment, or the value
    platform::ErrorCode error = platform::kErrorSuccess;
};

struct MachineStatus {
    std::vector<ModelStatus> models;  // all 19, in row order
    std::string defaultPrinter;       // the printer the default-printer value names; empty for none
    std::vector<QueryFailure> failures;
};

// The drivers environments we look at: "Windows NT x86", "Windows x64".
std::vector<std::string> StatusEnvironments();

// The status from what the spooler and the registry answered.
MachineStatus SummarizeStatus(const std::vector<platform::InstalledDriver>& drivers,
                              const std::vector<platform::InstalledPrinter>& printers,
                              const std::string& defaultPrinter);

// Asks the spooler (drivers of both environments, the local printers) and the
// registry (the default-printer value), and summarizes. Changes nothing.
MachineStatus ReadMachineStatus(platform::Spooler& spooler, platform::Registry& registry);

// The default-printer value's data; nullopt when the key or the value is not
// there; a failure other than "not there" goes into `failure`.
std::optional<std::string> ReadDefaultPrinterValue(platform::Registry& registry, std::optional<QueryFailure>& failure);

}  // namespace tq
