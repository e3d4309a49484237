#include "install/uninstall.h"

#include <algorithm>

#include "install/machine_status.h"
#include "platform/names.h"
#include "install/plan.h"
#include "install/step_building.h"

namespace tq {

using platform::BaseName;
using platform::LowerAscii;
using platform::SameName;
namespace {

using platform::CallResult;
using platform::ErrorCode;
using steps::RunStep;

using platform::kErrorInvalidPrinterName;
using platform::kErrorPrinterDriverInUse;

std::vector<std::string> DriverFiles(const platform::InstalledDriver& d) {
    std::vector<std::string> out = {d.driverPath, d.dataFile, d.configFile, d.helpFile};
    out.insert(out.end(), d.dependentFiles.begin(), d.dependentFiles.end());
    out.erase(std::remove(out.begin(), out.end(), std::string()), out.end());
    return out;
}

StepReport DeleteModelPrinter(platform::Spooler& spooler, const std::string& name) {
    return RunStep(StepKind::DeletePrinter, name, "", [&](StepReport& step) {
        const platform::OpenPrinterResult open = spooler.OpenPrinter(name);
        if (!open.call.ok) {
            if (open.call.error != kErrorInvalidPrinterName) return open.call;
            step.outcome = StepOutcome::NotThere;
            return CallResult::Success();
        }
        const platform::PrinterDetails details = spooler.GetPrinter(open.handle);
        if (details.call.ok) step.target = details.printer.port;
        const CallResult deleted = spooler.DeletePrinter(open.handle);
        spooler.ClosePrinter(open.handle);  // the printer goes with its last handle
        return deleted;
    });
}

StepReport RemoveDefaultValue(platform::Registry& registry, const std::string& printerName) {
    return RunStep(StepKind::RemoveDefaultPrinter, kDefaultPrinterValue,
                   std::string(RegistryRootName(RegistryRoot::CurrentUser)) + "\\" + kDefaultPrinterKey,
                   [&](StepReport& step) {
                       std::optional<QueryFailure> failure;
                       const std::optional<std::string> device = ReadDefaultPrinterValue(registry, failure);
                       if (failure) return CallResult::Failure(failure->error);
                       if (!device || !SameName(DefaultPrinterName(*device), printerName)) {
                           step.outcome = StepOutcome::NotThere;  // no value, or one that names another printer
                           if (device) step.detail = *device;
                           return CallResult::Success();
                       }
                       const platform::OpenKeyResult open =
                           registry.OpenKeyForWriting(RegistryRoot::CurrentUser, kDefaultPrinterKey);
                       if (open.error != platform::kErrorSuccess) return CallResult::Failure(open.error);
                       const ErrorCode deleted = registry.DeleteValue(open.key, kDefaultPrinterValue);
                       registry.CloseKey(open.key);
                       return deleted != platform::kErrorSuccess ? CallResult::Failure(deleted)
                                                                 : CallResult::Success();
                   });
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}

}  // namespace

std::vector<FileRemoval> FilesToRemove(const ModelEntry& model, const std::string& driverDirectory,
                                       const std::optional<platform::InstalledDriver>& ours,
                                       const std::vector<platform::InstalledDriver>& others) {
    std::vector<FileRemoval> removals;
    auto entry = [&](const std::string& name) -> FileRemoval& {
        for (auto& r : removals) {
            if (SameName(r.name, name)) return r;
        }
        removals.push_back({name, {}, {}});
        return removals.back();
    };
    auto addPath = [](FileRemoval& r, const std::string& path) {
        if (std::none_of(r.paths.begin(), r.paths.end(), [&](const std::string& p) { return SameName(p, path); })) {
            r.paths.push_back(path);
        }
    };
    for (const auto& name : CopiedFileNames(model)) {
        FileRemoval& r = entry(name);
        if (!driverDirectory.empty()) addPath(r, driverDirectory + "\\" + name);
    }
    if (ours) {
        for (const auto& path : DriverFiles(*ours)) addPath(entry(BaseName(path)), path);
    }
    for (auto& r : removals) {
        for (const auto& other : others) {
            const auto files = DriverFiles(other);
            if (std::any_of(files.begin(), files.end(),
                            [&](const std::string& f) { return SameName(BaseName(f), r.name); })) {
                r.usedBy = other.name;
                break;
            }
        }
    }
    return removals;
}

namespace {

InstallReport UninstallSteps(const ModelEntry& model, Architecture architecture, platform::Spooler& spooler,
                             platform::FileSystem& files, platform::Registry& registry) {
    InstallReport report;
    report.environment = EnvironmentName(architecture);
    const std::string name = model.displayName;

    report.steps.push_back(DeleteModelPrinter(spooler, name));
    report.steps.push_back(RemoveDefaultValue(registry, name));

    // The driver, unless a printer of another name still prints through it.
    std::optional<platform::InstalledDriver> ours;
    std::vector<platform::InstalledDriver> others;
    bool driverGone = false;
    report.steps.push_back(RunStep(StepKind::DeleteDriver, name, report.environment, [&](StepReport& step) {
        const platform::DriverList drivers = spooler.EnumPrinterDrivers(report.environment);
        for (const auto& d : drivers.drivers) {
            if (SameName(d.name, name)) {
                ours = d;
            } else {
                others.push_back(d);
            }
        }
        if (!drivers.call.ok) {
            step.detail = "the installed drivers could not be listed; the files are left in place";
            return drivers.call;
        }
        if (!ours) {
            step.outcome = StepOutcome::NotThere;
            driverGone = true;
            return CallResult::Success();
        }
        std::vector<std::string> users;
        const platform::PrinterList printers = spooler.EnumPrinters();
        for (const auto& p : printers.printers) {
            if (SameName(p.driver, name) && !SameName(p.name, name)) users.push_back(p.name);
        }
        if (!users.empty()) {
            step.outcome = StepOutcome::InUse;
            step.detail = Joined(users);
            return CallResult::Success();
        }
        const CallResult deleted = spooler.DeletePrinterDriver(report.environment, name);
        if (deleted.ok) {
            driverGone = true;
        } else if (deleted.error == kErrorPrinterDriverInUse) {
            step.outcome = StepOutcome::InUse;
            step.error = deleted.error;
            return CallResult::Success();
        }
        return deleted;
    }));
    if (!driverGone) return report;

    const DriverDirectoryAnswer directory = QueryDriverDirectory(spooler, architecture);
    report.driverDirectory = directory.directory;
    for (const auto& removal : FilesToRemove(model, directory.directory, ours, others)) {
        for (const auto& path : removal.paths) {
            report.steps.push_back(RunStep(StepKind::RemoveFile, removal.name, path, [&](StepReport& step) {
                if (!removal.usedBy.empty()) {
                    step.outcome = StepOutcome::Kept;
                    step.detail = removal.usedBy;
                    return CallResult::Success();
                }
                const CallResult deleted = files.Delete(path);
                if (deleted.error == platform::kErrorFileNotFound || deleted.error == platform::kErrorPathNotFound) {
                    step.outcome = StepOutcome::NotThere;
                    return CallResult::Success();
                }
                return deleted;
            }));
        }
    }
    return report;
}

}  // namespace

InstallReport UninstallModel(const ModelEntry& model, Architecture architecture, platform::Spooler& spooler,
                             platform::FileSystem& files, platform::Registry& registry) {
    InstallReport report = UninstallSteps(model, architecture, spooler, files, registry);
    report.changesKnown = true;
    // Every step looked before it acted: only a deletion that was done changed the machine.
    for (StepReport& step : report.steps) step.changed = step.outcome == StepOutcome::Succeeded;
    return report;
}

}  // namespace tq
