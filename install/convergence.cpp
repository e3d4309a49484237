#include "install/convergence.h"

#include <algorithm>
#include <optional>
#include <set>

#include "platform/names.h"

namespace tq {
namespace {

using platform::BaseName;
using platform::LowerAscii;
using platform::SameName;

std::set<std::string> BaseNames(const std::vector<std::string>& paths) {
    std::set<std::string> names;
    for (const auto& path : paths) names.insert(LowerAscii(BaseName(path)));
    return names;
}

// The value's text before the run; nullopt when it could not be read.
std::optional<std::string> ValueBefore(platform::Registry& registry, const std::optional<RegistryWrite>& value) {
    if (!value) return std::nullopt;
    const platform::OpenKeyResult open = registry.OpenKeyForReading(value->root, value->keyPath);
    if (open.error != platform::kErrorSuccess) return std::nullopt;
    const platform::StringValueResult read = registry.QueryStringValue(open.key, value->valueName);
    registry.CloseKey(open.key);
    if (read.error != platform::kErrorSuccess) return std::nullopt;
    return read.data;
}

bool Written(const StepReport& step) { return step.outcome == StepOutcome::Succeeded; }

}  // namespace

bool SameDriverRecord(const platform::InstalledDriver& d, const platform::DriverRecord& r) {
    const auto same = [](const std::string& path, const std::string& file) {
        return SameName(BaseName(path), BaseName(file));
    };
    return SameName(d.name, r.pName) && SameName(d.environment, r.pEnvironment) && same(d.driverPath, r.pDriverPath) &&
           same(d.dataFile, r.pDataFile) && same(d.configFile, r.pConfigFile) && same(d.helpFile, r.pHelpFile) &&
           BaseNames(d.dependentFiles) == BaseNames(platform::DependentFileEntries(r.pDependentFiles)) &&
           SameName(d.monitorName, r.pMonitorName) && SameName(d.defaultDataType, r.pDefaultDataType);
}

InstallReport InstallConverging(const InstallChoices& choices, ProgressSink& sink, const platform::InstallPlatform& p) {
    // What the machine holds before.
    const DriverDirectoryAnswer directory = QueryDriverDirectory(p.spooler, choices.architecture);
    const InstallPlan plan = MakePlan(choices, directory.directory);
    std::vector<bool> bytesInPlace;
    for (const FileCopy& copy : plan.copies) {
        bytesInPlace.push_back(!directory.directory.empty() && p.files.SameBytes(copy.source, copy.destination));
    }
    std::optional<platform::InstalledDriver> driverBefore;
    for (const auto& driver : p.spooler.EnumPrinterDrivers(plan.driver.pEnvironment).drivers) {
        if (SameName(driver.name, plan.driver.pName)) driverBefore = driver;
    }
    bool printerBefore = false;
    for (const auto& printer : p.spooler.EnumPrinters().printers) {
        if (SameName(printer.name, plan.printer.pPrinterName)) printerBefore = true;
    }
    const auto defaultBefore = ValueBefore(p.registry, plan.defaultPrinter);
    const auto portSettingsBefore = ValueBefore(p.registry, plan.portSettings);

    InstallReport report = InstallPrinter(choices, sink, p);
    report.changesKnown = true;

    std::size_t copy = 0;
    bool fileChanged = false;
    for (StepReport& step : report.steps) {
        switch (step.kind) {
            case StepKind::CopyFile:
                step.changed = Written(step) && !(copy < bytesInPlace.size() && bytesInPlace[copy]);
                fileChanged = fileChanged || step.changed;
                ++copy;
                break;
            case StepKind::RegisterDriver:
                step.changed = Written(step) && (!driverBefore || !SameDriverRecord(*driverBefore, plan.driver) ||
                                                 fileChanged);
                break;
            case StepKind::CreatePrinter:
                step.changed = !IsFailure(step.outcome) && !printerBefore;
                break;
            case StepKind::PrinterPort:
                step.changed = step.outcome == StepOutcome::Moved;
                break;
            case StepKind::DefaultPrinter:
                step.changed = Written(step) && defaultBefore != plan.defaultPrinter->data;
                break;
            case StepKind::PortSettings:
                step.changed = Written(step) && portSettingsBefore != plan.portSettings->data;
                break;
            default:
                step.changed = false;
                break;
        }
    }
    return report;
}

}  // namespace tq
