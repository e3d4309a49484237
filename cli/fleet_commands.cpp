#include "cli/fleet_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/choice_options.h"
#include "cli/exit_codes.h"
#include "cli/fleet_output.h"
#include "cli/report_output.h"
#include "cli/run_log.h"
#include "install/machine_status.h"
#include "install/package_check.h"
#include "install/uninstall.h"
#include "platform/system_services.h"

namespace tq::cli {
namespace {

void PrintJson(const nlohmann::json& value) {
    std::cout << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

}  // namespace

void AddLogOption(CLI::App& app, std::optional<std::string>& log) {
    app.add_option("--log", log, "Append one JSON line about this run (time, command, choices, each step) to FILE");
}

void AddCheckPackageOptions(CLI::App& app, CheckPackageOptions& o) {
    app.add_option("--package", o.package, "Package folder to check (default: the current directory)");
    app.add_flag("--json", o.json, "Print JSON");
}

void AddUninstallOptions(CLI::App& app, UninstallOptions& o) {
    app.add_option("--model", o.model, "Model: row 0..18 or the exact display name (see 'models')")->required();
    app.add_option("--arch", o.arch, "Driver environment: x86|x64 (default: the WOW64 test)");
    app.add_flag("--json", o.json, "Print the report as JSON");
    AddLogOption(app, o.log);
}

bool RunLogFile::Open(const std::optional<std::string>& path) {
    if (!path) return true;
    // A UTF-8 path (see utf8_arguments.h), opened by its UTF-16 name on Windows.
    out_ = std::make_unique<std::ofstream>(std::filesystem::u8path(*path), std::ios::app | std::ios::binary);
    if (!*out_) {
        std::cerr << "tqinstall: --log: cannot open '" << *path << "' for appending; nothing was done\n";
        out_.reset();
        return false;
    }
    path_ = path;
    return true;
}

bool RunLogFile::Write(const std::string& command, const nlohmann::json& choices, const InstallReport& report,
                       int exitStatus) {
    if (!out_) return true;
    const char* machine = std::getenv("COMPUTERNAME");
    return WriteLine(LogLine(UtcTimestamp(std::chrono::system_clock::now()), machine ? machine : "", command, choices,
                             report, exitStatus, platform::SystemErrorText));
}

bool RunLogFile::WriteLine(const nlohmann::json& line) {
    if (!out_) return true;
    *out_ << LogLineText(line) << std::flush;
    if (!*out_) {
        std::cerr << "tqinstall: --log: could not write to '" << *path_ << "'\n";
        return false;
    }
    return true;
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
    auto spooler = platform::SystemSpooler();
    auto registry = platform::SystemRegistry();
    if (!spooler || !registry) {
        std::cerr << "tqinstall: status needs Windows (its print spooler and registry)\n";
        return kExitBadArguments;
    }
    const MachineStatus status = ReadMachineStatus(*spooler, *registry);
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

    auto spooler = platform::SystemSpooler();
    auto files = platform::SystemFileSystem();
    auto registry = platform::SystemRegistry();
    if (!spooler || !files || !registry) {
        std::cerr << "tqinstall: uninstall needs Windows (its print spooler and registry); nothing was done\n";
        return kExitBadArguments;
    }
    RunLogFile log;
    if (!log.Open(o.log)) return kExitBadArguments;

    if (!o.json) {
        std::cout << "Uninstalling \"" << choices.model.displayName << "\" for "
                  << EnvironmentName(choices.architecture) << "\n";
    }
    const InstallReport report = UninstallModel(choices.model, choices.architecture, *spooler, *files, *registry);
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
