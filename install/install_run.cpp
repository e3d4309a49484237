#include "install/install_run.h"

#include <array>

#include "install/printer_port.h"
#include "install/step_building.h"

namespace tq {

// "错误：无法设置有关的注册表信息"
const char kRegistryFailureMessage[] =
    "\xB4\xED\xCE\xF3\xA3\xBA\xCE\xDE\xB7\xA8\xC9\xE8\xD6\xC3\xD3\xD0\xB9\xD8\xB5\xC4\xD7\xA2\xB2\xE1\xB1\xED\xD0\xC5"
    "\xCF\xA2";

namespace {

using platform::CallResult;
using platform::ErrorCode;
using platform::kErrorPrinterAlreadyExists;
using platform::kErrorSuccess;
using steps::RunStep;
using steps::Step;

constexpr std::uint32_t kDirectoryBufferSize = 255;
constexpr unsigned kClosingPauseMs = 500;

// Writes one planned value; a value that cannot be written shows the message.
StepReport WriteValue(StepKind kind, const std::optional<RegistryWrite>& value, const platform::InstallPlatform& p) {
    if (!value) {
        StepReport step = Step(kind, "", "");
        step.outcome = StepOutcome::NotNeeded;
        return step;
    }
    return RunStep(kind, value->valueName, std::string(RegistryRootName(value->root)) + "\\" + value->keyPath,
                   [&](StepReport& step) {
                       const platform::OpenKeyResult open = p.registry.OpenKeyForWriting(value->root, value->keyPath);
                       if (open.error != kErrorSuccess) {
                           step.outcome = StepOutcome::KeyNotOpened;
                           step.error = open.error;
                           return CallResult::Success();
                       }
                       const ErrorCode set = p.registry.SetStringValue(open.key, value->valueName, value->data);
                       if (set != kErrorSuccess) {
                           step.outcome = StepOutcome::NotWritten;
                           step.error = set;
                           p.messages.ShowOk(kRegistryFailureMessage);
                       }
                       p.registry.CloseKey(open.key);
                       return CallResult::Success();
                   });
}

}  // namespace

bool IsFailure(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Succeeded:
        case StepOutcome::AlreadyThere:
        case StepOutcome::NotNeeded:
        case StepOutcome::Moved:
        case StepOutcome::NotThere:
        case StepOutcome::Kept:
            return false;
        case StepOutcome::Failed:
        case StepOutcome::NoDriverDirectory:
        case StepOutcome::KeyNotOpened:
        case StepOutcome::NotWritten:
        case StepOutcome::InUse:
        case StepOutcome::NoPortMonitor:
        case StepOutcome::PortDiffers:
            return true;
    }
    return true;
}

bool InstallReport::Clean() const {
    for (const auto& step : steps) {
        if (IsFailure(step.outcome)) return false;
    }
    return true;
}

bool InstallReport::Changed() const {
    for (const auto& step : steps) {
        if (step.changed) return true;
    }
    return false;
}

const char* StepOutcomeName(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Succeeded: return "succeeded";
        case StepOutcome::AlreadyThere: return "alreadyThere";
        case StepOutcome::NotNeeded: return "notNeeded";
        case StepOutcome::Failed: return "failed";
        case StepOutcome::NoDriverDirectory: return "noDriverDirectory";
        case StepOutcome::KeyNotOpened: return "keyNotOpened";
        case StepOutcome::NotWritten: return "notWritten";
        case StepOutcome::Moved: return "moved";
        case StepOutcome::NotThere: return "notThere";
        case StepOutcome::Kept: return "kept";
        case StepOutcome::InUse: return "inUse";
        case StepOutcome::NoPortMonitor: return "noPortMonitor";
        case StepOutcome::PortDiffers: return "portDiffers";
    }
    return "?";
}

DriverDirectoryAnswer QueryDriverDirectory(platform::Spooler& spooler, Architecture architecture) {
    std::array<char, kDirectoryBufferSize + 1> buffer{};  // one byte more keeps the text NUL-ended
    std::uint32_t needed = 0;
    const CallResult call =
        spooler.GetPrinterDriverDirectory(EnvironmentName(architecture), buffer.data(), kDirectoryBufferSize, &needed);
    return {std::string(buffer.data()), call};
}

InstallReport InstallPrinterDriver(const InstallChoices& choices, ProgressSink& sink,
                                   const platform::InstallPlatform& p) {
    InstallReport report;
    report.environment = EnvironmentName(choices.architecture);

    report.steps.push_back(RunStep(StepKind::DriverDirectory, report.environment, "", [&](StepReport& step) {
        const DriverDirectoryAnswer answer = QueryDriverDirectory(p.spooler, choices.architecture);
        report.driverDirectory = answer.directory;
        step.target = answer.directory;
        if (answer.call.ok && answer.directory.empty()) step.outcome = StepOutcome::NoDriverDirectory;
        return answer.call;
    }));

    const InstallPlan plan = MakePlan(choices, report.driverDirectory);

    // Without a driver directory every destination would lie in the root of the
    // current drive; nothing is copied there.
    const bool haveDirectory = !report.driverDirectory.empty();
    const auto names = CopiedFileNames(choices.model);
    for (std::size_t i = 0; i < plan.copies.size(); ++i) {
        const FileCopy& copy = plan.copies[i];
        report.steps.push_back(RunStep(StepKind::CopyFile, names[i], copy.destination, [&](StepReport& step) {
            step.source = copy.source;
            if (!haveDirectory) {
                step.outcome = StepOutcome::NoDriverDirectory;
                return CallResult::Success();
            }
            return p.files.Copy(copy.source, copy.destination, false);
        }));
        if (copy.progressAfter) sink.SetPosition(*copy.progressAfter);
    }

    report.steps.push_back(RunStep(StepKind::RegisterDriver, plan.driver.pName, plan.driver.pEnvironment,
                                   [&](StepReport&) { return p.spooler.AddPrinterDriver(plan.driver); }));
    sink.SetPosition(70);

    platform::PrinterHandle printer = nullptr;
    report.steps.push_back(
        RunStep(StepKind::CreatePrinter, plan.printer.pPrinterName, plan.printer.pPortName, [&](StepReport& step) {
            const platform::AddPrinterResult added = p.spooler.AddPrinter(plan.printer);
            printer = added.handle;
            if (!added.call.ok && added.call.error == kErrorPrinterAlreadyExists) {
                step.outcome = StepOutcome::AlreadyThere;
                step.error = added.call.error;
                return CallResult::Success();
            }
            return added.call;
        }));
    sink.SetPosition(80);

    report.steps.push_back(WriteValue(StepKind::DefaultPrinter, plan.defaultPrinter, p));
    sink.SetPosition(90);
    report.steps.push_back(WriteValue(StepKind::PortSettings, plan.portSettings, p));
    sink.SetPosition(95);

    report.steps.push_back(RunStep(StepKind::ClosePrinter, plan.printer.pPrinterName, "", [&](StepReport& step) {
        const CallResult call = p.spooler.ClosePrinter(printer);  // a null handle too
        if (!printer) {
            step.outcome = StepOutcome::NotNeeded;  // there was no handle; the spooler refuses null
            return CallResult::Success();
        }
        return call;
    }));

    p.sleeper.Sleep(kClosingPauseMs);
    sink.SetPosition(100);
    return report;
}

InstallReport InstallPrinter(const InstallChoices& choices, ProgressSink& sink, const platform::InstallPlatform& p) {
    InstallReport report = InstallPrinterDriver(choices, sink, p);
    // A printer that was there already keeps its port through the run.
    if (RunLeftPrinter(report)) {
        report.steps.push_back(BringPrinterToPort(p.spooler, choices.model.displayName, choices.portName));
    }
    return report;
}

}  // namespace tq
