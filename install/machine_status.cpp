#include "install/machine_status.h"

#include <algorithm>

#include "platform/names.h"
#include "install/plan.h"

namespace tq {

using platform::BaseName;
using platform::LowerAscii;
using platform::SameName;
namespace {

using platform::ErrorCode;

constexpr ErrorCode kErrorInvalidEnvironment = 1805;  // an environment this Windows does not know

}  // namespace

std::vector<std::string> StatusEnvironments() {
    return {EnvironmentName(Architecture::x86), EnvironmentName(Architecture::x64)};
}

MachineStatus SummarizeStatus(const std::vector<platform::InstalledDriver>& drivers,
                              const std::vector<platform::InstalledPrinter>& printers,
                              const std::string& defaultPrinter) {
    MachineStatus status;
    status.defaultPrinter = defaultPrinter;
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        ModelStatus m;
        m.model = *ModelCatalog::Row(row);
        const std::string name = m.model.displayName;
        for (const auto& env : StatusEnvironments()) {
            const bool registered = std::any_of(drivers.begin(), drivers.end(), [&](const platform::InstalledDriver& d) {
                return d.environment == env && SameName(d.name, name);
            });
            if (registered) m.driverEnvironments.push_back(env);
        }
        for (const auto& p : printers) {
            if (SameName(p.name, name)) {
                m.printer = p;
            } else if (SameName(p.driver, name)) {
                m.otherPrinters.push_back(p.name);
            }
        }
        m.isDefault = m.printer && !defaultPrinter.empty() && SameName(defaultPrinter, m.printer->name);
        status.models.push_back(std::move(m));
    }
    return status;
}

std::optional<std::string> ReadDefaultPrinterValue(platform::Registry& registry,
                                                   std::optional<QueryFailure>& failure) {
    failure.reset();
    const platform::OpenKeyResult open = registry.OpenKeyForReading(RegistryRoot::CurrentUser, kDefaultPrinterKey);
    if (open.error == platform::kErrorFileNotFound) return std::nullopt;
    if (open.error != platform::kErrorSuccess) {
        failure = QueryFailure{"RegOpenKeyExA", kDefaultPrinterKey, open.error};
        return std::nullopt;
    }
    const platform::StringValueResult value = registry.QueryStringValue(open.key, kDefaultPrinterValue);
    registry.CloseKey(open.key);
    if (value.error == platform::kErrorFileNotFound) return std::nullopt;
    if (value.error != platform::kErrorSuccess) {
        failure = QueryFailure{"RegQueryValueExA", kDefaultPrinterValue, value.error};
        return std::nullopt;
    }
    return value.data;
}

MachineStatus ReadMachineStatus(platform::Spooler& spooler, platform::Registry& registry) {
    std::vector<QueryFailure> failures;
    std::vector<platform::InstalledDriver> drivers;
    for (const auto& env : StatusEnvironments()) {
        platform::DriverList list = spooler.EnumPrinterDrivers(env);
        if (!list.call.ok) {
            // A Windows without the 64-bit environment simply has no drivers there.
            if (list.call.error != kErrorInvalidEnvironment) {
                failures.push_back({"EnumPrinterDriversA", env, list.call.error});
            }
            continue;
        }
        for (auto& d : list.drivers) {
            if (d.environment.empty()) d.environment = env;
            drivers.push_back(std::move(d));
        }
    }
    const platform::PrinterList printers = spooler.EnumPrinters();
    if (!printers.call.ok) failures.push_back({"EnumPrintersA", "", printers.call.error});

    std::optional<QueryFailure> valueFailure;
    const std::optional<std::string> device = ReadDefaultPrinterValue(registry, valueFailure);
    if (valueFailure) failures.push_back(*valueFailure);

    MachineStatus status = SummarizeStatus(drivers, printers.printers, device ? DefaultPrinterName(*device) : "");
    status.failures = std::move(failures);
    return status;
}

}  // namespace tq
