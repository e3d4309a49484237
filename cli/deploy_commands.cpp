#include "cli/deploy_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/choice_options.h"
#include "cli/console_output.h"
#include "cli/exit_codes.h"
#include "cli/fleet_file.h"
#include "cli/install_command.h"
#include "cli/logged_installs.h"
#include "cli/report_output.h"
#include "cli/run_log.h"
#include "install/convergence.h"
#include "install/deployment.h"
#include "install/machine.h"
#include "install/machine_status.h"
#include "install/uninstall.h"
#include "platform/machine_lock.h"
#include "platform/system_services.h"

namespace tq::cli {
namespace {

namespace fs = std::filesystem;

class NoProgress final : public ProgressSink {
public:
    void SetPosition(int) override {}
};

// The worse of two exit statuses: a denial (3) over a failure (1) over done (0).
int Worse(int a, int b) { return std::max(a, b); }

}  // namespace

void AddWaitOption(CLI::App& app, unsigned& seconds) {
    app.add_option("--wait", seconds,
                   "Seconds to wait while another tqinstall run changes this machine; then exit 1618")
        ->capture_default_str();
}

int WithMachineLock(unsigned waitSeconds, const std::function<int()>& command) {
    const platform::LockResult lock = platform::AcquireMachineLock(waitSeconds);
    if (lock.wait == platform::LockWait::TimedOut) {
        std::cerr << "tqinstall: another tqinstall run is changing this machine and still held its lock after "
                  << waitSeconds << " s; nothing was done. Run again later (exit status 1618).\n";
        return kExitAnotherRun;
    }
    if (lock.wait == platform::LockWait::Failed) {
        std::cerr << "tqinstall: the machine-wide lock " << platform::kMachineLockName << " could not be made: "
                  << platform::SystemErrorText(static_cast<platform::ErrorCode>(lock.error)) << " (error "
                  << lock.error << "); nothing was done\n";
        return kExitFailed;
    }
    return command();
}

// ---- apply ---------------------------------------------------------------

void AddApplyOptions(CLI::App& app, ApplyOptions& o) {
    app.add_option("FILE", o.file, "Fleet file: {\"printers\": [{\"model\": 5, \"port\": \"LPT1:\", \"default\": true}]}")
        ->required();
    AddPackageOption(app, o.package);
    app.add_option("--arch", o.arch, "Driver environment: x86|x64 (default: the WOW64 test)");
    app.add_flag("--json", o.json, "Print the report as JSON");
    AddLogOption(app, o.log);
}

int RunApply(const ApplyOptions& o) {
    std::ifstream in(fs::u8path(o.file), std::ios::binary);
    if (!in) {
        std::cerr << "tqinstall: apply: cannot read the fleet file '" << o.file << "'; nothing was done\n";
        return kExitBadArguments;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::vector<FleetPrinter> printers;
    try {
        printers = ParseFleetFile(text.str(), o.arch);
    } catch (const FleetFileError& e) {
        std::cerr << "tqinstall: apply: " << o.file << ": " << e.what() << "; nothing was done\n";
        return kExitBadArguments;
    }
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("apply");
    // Every port, like every other value of the file, is checked before anything changes.
    for (std::size_t i = 0; i < printers.size(); ++i) {
        const std::string place = "printers[" + std::to_string(i) + "].port";
        if (const auto refused = CheckPortBeforeInstall(machine->spooler(), printers[i].choices.portName,
                                                        printers[i].networkPort, place)) {
            std::cerr << "tqinstall: apply: " << o.file << ": " << refused->message << "\n";
            return refused->status;
        }
    }
    RunLogFile log;  // opened before --package changes the current directory
    if (!log.Open(o.log)) return kExitBadArguments;
    if (!EnterPackageFolder(o.package)) return kExitBadArguments;

    NoProgress progress;
    int status = kExitDone;
    bool changed = false;
    nlohmann::json reports = nlohmann::json::array();
    nlohmann::json logged = nlohmann::json::array();
    const std::string computer = ComputerName();
    for (std::size_t i = 0; i < printers.size(); ++i) {
        const InstallChoices& choices = printers[i].choices;
        if (!o.json) {
            std::cout << "== printers[" << i << "]: installing \"" << choices.model.displayName << "\" on "
                      << choices.portName << " for " << EnvironmentName(choices.architecture)
                      << (choices.makeDefault ? ", the default printer" : "") << "\n";
        }
        const InstallReport report = InstallOnePrinter(choices, printers[i].networkPort, progress, machine->Platform());
        int printerStatus = InstallExitStatus(report);
        changed = changed || report.Changed();
        // A test receipt follows a clean install only, as with install --test-print.
        std::optional<TestPrintRun> receipt;
        if (printers[i].testPrint && printerStatus == kExitDone) {
            receipt = PrintTestReceipt(machine->spooler(), machine->Platform().sleeper, choices.model, ReceiptOptions{});
            printerStatus = TestPrintExitStatus(receipt->report);
        }
        status = Worse(status, printerStatus);
        nlohmann::json receiptJson = nullptr;
        if (receipt) receiptJson = TestPrintToJson(receipt->settings, receipt->report, platform::SystemErrorText);
        if (o.json) {
            nlohmann::json entry = ReportToJson(report, platform::SystemErrorText);
            entry["choices"] = ChoicesToJson(choices);
            entry["exitStatus"] = printerStatus;
            if (printers[i].testPrint) entry["testPrint"] = receiptJson;
            reports.push_back(entry);
        } else {
            std::cout << ReportToText(report, platform::SystemErrorText);
            if (receipt) {
                std::cout << TestPrintToText(receipt->settings, receipt->report, platform::SystemErrorText);
            } else if (printers[i].testPrint) {
                std::cout << "No test receipt was printed: the installation did not succeed.\n";
            }
        }
        nlohmann::json line = LogLine("", computer, "install", ChoicesToJson(choices), report, printerStatus,
                                      platform::SystemErrorText);
        for (const char* key : {"time", "machine", "command"}) line.erase(key);
        if (printers[i].testPrint) line["testPrint"] = receiptJson;
        logged.push_back(line);
    }

    if (o.json) {
        PrintJson({{"file", o.file},
                   {"succeeded", status == kExitDone},
                   {"changed", changed},
                   {"exitStatus", status},
                   {"printers", reports}});
    } else if (status != kExitDone) {
        std::cout << "Not every printer was installed; see the failed steps above.\n";
    } else {
        std::cout << (changed ? "Every printer of the fleet file is installed.\n"
                              : "Every printer of the fleet file was in place already; nothing changed.\n");
    }
    const nlohmann::json line = {{"time", UtcTimestamp(std::chrono::system_clock::now())},
                                 {"machine", computer},
                                 {"command", "apply"},
                                 {"file", o.file},
                                 {"exitStatus", status},
                                 {"succeeded", status == kExitDone},
                                 {"changed", changed},
                                 {"printers", logged}};
    if (!log.WriteLine(line) && status == kExitDone) status = kExitFailed;
    if (status == kExitNotAllowed) {
        std::cerr << "tqinstall: access was denied; installing a printer driver needs administrator rights\n";
    }
    return status;
}

// ---- set-default -----------------------------------------------------------

void AddSetDefaultOptions(CLI::App& app, SetDefaultOptions& o) {
    app.add_option("--model", o.model, "Model: row 0..18 or the exact display name (see 'models')")->required();
    app.add_flag("--json", o.json, "Print JSON");
}

int RunSetDefault(const SetDefaultOptions& o) {
    const ModelEntry* model = FindModel(o.model);
    if (!model) {
        std::cerr << "tqinstall: set-default: --model: '" << o.model
                  << "' is neither a row 0..18 nor a model's display name (see 'tqinstall models')\n";
        return kExitBadArguments;
    }
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("set-default");
    const SetDefaultResult result = SetDefaultPrinter(*model, machine->spooler(), machine->registry());
    if (!result.printer) {
        if (!result.listCall.ok) {
            std::cerr << "tqinstall: set-default: the printers could not be listed (EnumPrintersA): "
                      << platform::SystemErrorText(result.listCall.error) << " (error " << result.listCall.error
                      << ")\n";
            return result.listCall.error == platform::kErrorAccessDenied ? kExitNotAllowed : kExitFailed;
        }
        std::cerr << "tqinstall: set-default: there is no printer \"" << model->displayName
                  << "\" on this machine; install it first (tqinstall install --model " << model->index << ")\n";
        return kExitFailed;
    }
    const StepReport& step = *result.step;
    InstallReport report;
    report.steps.push_back(step);
    const int status = InstallExitStatus(report);
    if (o.json) {
        PrintJson({{"model", model->displayName},
                   {"printer", result.printer->name},
                   {"port", result.printer->port},
                   {"value", step.detail},
                   {"outcome", StepOutcomeName(step.outcome)},
                   {"changed", step.outcome == StepOutcome::Succeeded},
                   {"error", step.error},
                   {"message", step.error ? platform::SystemErrorText(step.error) : std::string()},
                   {"exitStatus", status}});
    } else if (status == kExitDone) {
        std::cout << "\"" << result.printer->name << "\" on " << result.printer->port
                  << (step.outcome == StepOutcome::NotNeeded ? " was the default printer already; unchanged\n"
                                                            : " is now the default printer\n");
    } else {
        std::cout << "\"" << result.printer->name << "\" could not be made the default printer: the value "
                  << step.target << "\\" << step.subject << " " << OutcomeWords(step) << ": "
                  << platform::SystemErrorText(step.error) << " (error " << step.error << ")\n";
    }
    return status;
}

// ---- status --detect ------------------------------------------------------

int RunDetect(const std::string& modelText) {
    const ModelEntry* model = FindModel(modelText);
    if (!model) {
        std::cerr << "tqinstall: status: --model: '" << modelText
                  << "' is neither a row 0..18 nor a model's display name (see 'tqinstall models')\n";
        return kExitBadArguments;
    }
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("status");
    const MachineStatus status = ReadMachineStatus(machine->spooler(), machine->registry());
    const auto line = DetectModel(status, *model, EnvironmentName(DetectArchitecture()));
    if (!line) return kExitFailed;
    std::cout << *line << "\n";
    return kExitDone;
}

// ---- uninstall-logged -----------------------------------------------------

void AddUninstallLoggedOptions(CLI::App& app, UninstallLoggedOptions& o) {
    app.add_option("RECORD", o.recordFile,
                   "A --log file of earlier runs: the printers their installs created are uninstalled")
        ->required();
    app.add_flag("--json", o.json, "Print the reports as JSON");
    AddLogOption(app, o.log);
}

int RunUninstallLogged(const UninstallLoggedOptions& o) {
    std::vector<LoggedModel> made;
    {
        std::ifstream in(fs::u8path(o.recordFile), std::ios::binary);
        // No record: nothing was installed through it.
        if (in) made = ModelsMadeByLog(in);
    }
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("uninstall-logged");
    RunLogFile log;
    if (!log.Open(o.log)) return kExitBadArguments;

    int status = kExitDone;
    nlohmann::json reports = nlohmann::json::array();
    if (made.empty() && !o.json) std::cout << "The record names no printer that its installs created; nothing to remove.\n";
    for (const LoggedModel& entry : made) {
        const ModelEntry* model = ModelCatalog::Row(entry.row);
        const bool x64 = entry.environment == EnvironmentName(Architecture::x64);
        if (!model || (!x64 && entry.environment != EnvironmentName(Architecture::x86))) continue;
        const Architecture arch = x64 ? Architecture::x64 : Architecture::x86;
        if (!o.json) std::cout << "Uninstalling \"" << model->displayName << "\" for " << entry.environment << "\n";
        const InstallReport report = UninstallModel(*model, arch, machine->spooler(), machine->files(), machine->registry());
        const int modelStatus = InstallExitStatus(report);
        status = Worse(status, modelStatus);
        if (o.json) {
            nlohmann::json json = ReportToJson(report, platform::SystemErrorText);
            json["model"] = model->displayName;
            json["exitStatus"] = modelStatus;
            reports.push_back(json);
        } else {
            std::cout << ReportToText(report, platform::SystemErrorText);
        }
        // One uninstall line per model, as `uninstall` writes it: the record
        // then no longer names the model.
        const nlohmann::json choices = {{"model", model->displayName}, {"row", model->index},
                                        {"environment", entry.environment}};
        if (!log.Write("uninstall", choices, report, modelStatus) && status == kExitDone) status = kExitFailed;
    }
    if (o.json) PrintJson({{"record", o.recordFile}, {"exitStatus", status}, {"uninstalled", reports}});
    return status;
}

}  // namespace tq::cli
