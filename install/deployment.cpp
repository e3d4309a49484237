#include "install/deployment.h"

#include <algorithm>

#include "platform/names.h"
#include "install/step_building.h"

namespace tq {

using platform::SameName;

std::optional<std::string> DetectModel(const MachineStatus& status, const ModelEntry& model,
                                       const std::string& environment) {
    for (const ModelStatus& m : status.models) {
        if (m.model.index != model.index) continue;
        const bool registered = std::any_of(m.driverEnvironments.begin(), m.driverEnvironments.end(),
                                            [&](const std::string& e) { return SameName(e, environment); });
        if (!registered || !m.printer || !SameName(m.printer->driver, model.displayName)) return std::nullopt;
        return std::string(model.displayName) + ": driver registered for " + environment + ", printer \"" +
               m.printer->name + "\" on " + m.printer->port;
    }
    return std::nullopt;
}

SetDefaultResult SetDefaultPrinter(const ModelEntry& model, platform::Spooler& spooler,
                                   platform::Registry& registry) {
    SetDefaultResult result;
    const platform::PrinterList list = spooler.EnumPrinters();
    result.listCall = list.call;
    for (const auto& printer : list.printers) {
        if (SameName(printer.name, model.displayName)) result.printer = printer;
    }
    if (!result.printer) return result;

    const std::string data = result.printer->name + ",winspool," + result.printer->port;
    StepReport step = steps::Step(StepKind::DefaultPrinter, kDefaultPrinterValue,
                                  std::string(RegistryRootName(RegistryRoot::CurrentUser)) + "\\" + kDefaultPrinterKey);
    const steps::StepTimer timer;
    std::optional<QueryFailure> failure;
    if (ReadDefaultPrinterValue(registry, failure) == data) {
        step.outcome = StepOutcome::NotNeeded;
    } else {
        const platform::OpenKeyResult open = registry.OpenKeyForWriting(RegistryRoot::CurrentUser, kDefaultPrinterKey);
        if (open.error != platform::kErrorSuccess) {
            step.outcome = StepOutcome::KeyNotOpened;
            step.error = open.error;
        } else {
            const platform::ErrorCode set = registry.SetStringValue(open.key, kDefaultPrinterValue, data);
            if (set != platform::kErrorSuccess) {
                step.outcome = StepOutcome::NotWritten;
                step.error = set;
            }
            registry.CloseKey(open.key);
        }
    }
    step.detail = data;
    step.durationMs = timer.ElapsedMs();
    result.step = step;
    return result;
}

}  // namespace tq
