#include "cli/fleet_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/choice_options.h"
#include "cli/console_output.h"
#include "cli/exit_codes.h"
#include "cli/fleet_output.h"
#include "cli/report_output.h"
#include "cli/run_log.h"
#include "install/machine.h"
#include "install/machine_status.h"
#include "install/package_check.h"
#include "install/uninstall.h"
#include "platform/system_services.h"

namespace tq::cli {
void AddCheckPackageOptions(CLI::App& app, CheckPackageOptions& o) {
    app.add_option("--package", o.package, "Package folder to check (default: the current directory)");
    app.add_flag("--json", o.json, "Print JSON");
}

void AddUninstallOptions(CLI::App& app, UninstallOptions& o) {
    AddModelOptions(app, o.model, o.arch, true);
    app.add_flag("--json", o.json, "Print the report as JSON");
    AddLogOption(app, o.log);
}

int RunCheckPackage(const CheckPackageOptions& o) {
    namespace fs = std::filesystem;
    const fs::path package = o.package ? fs::u8path(*o.package) : fs::current_path();
    std::error_code error;
    if (!fs::is_directory(package, error)) {
        std::cerr << "tqinstall: --package: '" << package.u8string() << "' is not a folder\n";
        return kExitBadArguments;
    }
    const auto check = CheckPackage([&](const std::string& relative) {
        std::string path = relative;
        for (char& c : path) {
            if (c == '\\') c = '/';  // accepted by Windows too
        }
        std::error_code e;
        return fs::is_regular_file(package / path, e);
    });
    if (o.json) {
        PrintJson(PackageCheckToJson(package.u8string(), check));
    } else {
        std::cout << PackageCheckToText(package.u8string(), check);
    }
    return PackageComplete(check) ? kExitDone : kExitFailed;
}

int RunStatus(bool json) {
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("status");
    const MachineStatus status = ReadMachineStatus(machine->spooler(), machine->registry());
    if (json) {
        PrintJson(StatusToJson(status, platform::SystemErrorText));
    } else {
        std::cout << StatusToText(status, platform::SystemErrorText);
    }
    const int exit = StatusExitStatus(status);
    if (exit == kExitNotAllowed) std::cerr << "tqinstall: access was denied; reading the status needs more rights\n";
    return exit;
}

int RunUninstall(const UninstallOptions& o) {
    // The same model and environment rules as install.
    ChoiceOptions choiceOptions;
    choiceOptions.model = o.model;
    choiceOptions.arch = o.arch;
    const InstallChoices choices = ResolveChoices(choiceOptions);

    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("uninstall");
    RunLogFile log;
    if (!log.Open(o.log)) return kExitBadArguments;

    if (!o.json) {
        std::cout << "Uninstalling \"" << choices.model.displayName << "\" for "
                  << EnvironmentName(choices.architecture) << "\n";
    }
    const InstallReport report = UninstallModel(choices.model, choices.architecture, machine->spooler(), machine->files(), machine->registry());
    if (o.json) {
        PrintJson(ReportToJson(report, platform::SystemErrorText));
    } else {
        std::cout << ReportToText(report, platform::SystemErrorText);
        const bool removedNothing = std::none_of(report.steps.begin(), report.steps.end(),
                                                 [](const StepReport& s) { return s.outcome == StepOutcome::Succeeded; });
        if (report.Clean() && removedNothing) {
            std::cout << "\"" << choices.model.displayName << "\" was not installed; nothing was removed.\n";
        }
    }
    int status = InstallExitStatus(report);
    const nlohmann::json logged = {{"model", choices.model.displayName},
                                   {"row", choices.model.index},
                                   {"environment", EnvironmentName(choices.architecture)}};
    if (!log.Write("uninstall", logged, report, status) && status == kExitDone) status = kExitFailed;
    if (status == kExitNotAllowed) {
        std::cerr << "tqinstall: access was denied; removing a printer driver needs administrator rights\n";
    }
    return status;
}

}  // namespace tq::cli
