// tqinstall: the unattended installer's command line.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/choice_options.h"
#include "cli/deploy_commands.h"
#include "cli/driver_directory.h"
#include "cli/exit_codes.h"
#include "cli/fleet_commands.h"
#include "cli/install_command.h"
#include "cli/network_output.h"
#include "cli/plan_output.h"
#include "cli/probe_command.h"
#include "cli/spooler_lists.h"
#include "cli/test_print_command.h"
#include "cli/utf8_arguments.h"

namespace {

using namespace tq;
using namespace tq::cli;

int RunModels(bool json) {
    if (json) {
        std::cout << ModelsToJson().dump(2) << "\n";
    } else {
        std::cout << ModelsToText();
    }
    return kExitDone;
}

int RunPlan(const ChoiceOptions& options, bool json) {
    const InstallChoices choices = ResolveChoices(options);
    const std::string driverDir = options.driverDir ? *options.driverDir : DefaultDriverDirectory(choices.architecture);
    const InstallPlan plan = MakePlan(choices, driverDir);
    const auto networkPort = NetworkPortChoice(options.port);
    if (json) {
        nlohmann::json out = PlanToJson(plan);
        out["networkPort"] = NetworkPortToJson(networkPort);
        std::cout << out.dump(2) << "\n";
    } else {
        std::cout << NetworkPortToText(networkPort) << PlanToText(plan);
    }
    return kExitDone;
}

}  // namespace

// The arguments as UTF-8 (see utf8_arguments.h).
int Main(int argc, char** argv) {
    CLI::App app{"tqinstall: installs, checks and removes the TQ and R receipt-printer drivers without a person.\n"
                 "Exit status, the same for every command: 0 done, 1 something failed (the report says what),\n"
                 "2 bad arguments, 3 not allowed (no administrator rights), 1618 another tqinstall run\n"
                 "held the machine for the whole --wait."};
    app.require_subcommand(1);

    bool json = false;
    auto* models = app.add_subcommand("models", "List the 19 printer models");
    models->add_flag("--json", json, "Print JSON");

    ChoiceOptions planOptions;
    auto* plan = app.add_subcommand("plan", "Show what an installation would copy, register and write; changes nothing");
    AddChoiceOptions(*plan, planOptions, true);
    plan->add_flag("--json", json, "Print JSON");

    InstallOptions installOptions;
    auto* install = app.add_subcommand("install", "Install a printer driver and printer, silently; prints a report");
    AddInstallOptions(*install, installOptions);

    CheckPackageOptions checkOptions;
    auto* checkPackage = app.add_subcommand(
        "check-package", "Check that a package folder holds every driver file and USB driver installer; changes nothing");
    AddCheckPackageOptions(*checkPackage, checkOptions);

    auto* status = app.add_subcommand("status", "For each model: driver environments, printer, port, state and jobs waiting, default printer");
    status->add_flag("--json", json, "Print JSON");
    std::string detectModel;
    auto* detectModelOption = status->add_option("--model", detectModel, "With --detect: the model, a row or a name");
    auto* detect = status->add_flag("--detect",
                                    "Detection rule: one line and exit 0 when the model's driver is registered for "
                                    "this machine's environment and its printer exists with that driver; else "
                                    "nothing on stdout and exit 1");
    detect->needs(detectModelOption);
    detectModelOption->needs(detect);

    UninstallOptions uninstallOptions;
    auto* uninstall = app.add_subcommand(
        "uninstall", "Delete a model's printer, its default-printer value, its driver and the files no other driver uses");
    AddUninstallOptions(*uninstall, uninstallOptions);

    TestPrintOptions testPrintOptions;
    auto* testPrint = app.add_subcommand(
        "test-print", "Print a test receipt on a model's printer as one RAW job and wait until it has left the queue");
    AddTestPrintOptions(*testPrint, testPrintOptions);

    ApplyOptions applyOptions;
    auto* apply = app.add_subcommand(
        "apply", "Install the printers of a fleet file in order; the whole file is checked before anything changes");
    AddApplyOptions(*apply, applyOptions);

    SetDefaultOptions setDefaultOptions;
    auto* setDefault = app.add_subcommand("set-default", "Make a model's printer the current user's default printer");
    AddSetDefaultOptions(*setDefault, setDefaultOptions);

    UninstallLoggedOptions uninstallLoggedOptions;
    auto* uninstallLogged = app.add_subcommand(
        "uninstall-logged", "Uninstall the printers that the installs recorded in a --log file created (and only those)");
    AddUninstallLoggedOptions(*uninstallLogged, uninstallLoggedOptions);

    // Every command that changes the machine waits for another run's lock.
    // (set-default changes only the user's own setting; it runs at logon,
    // where waiting for an install would hold the logon up.)
    unsigned waitSeconds = kDefaultLockWait;
    for (auto* changing : {install, uninstall, apply, uninstallLogged}) AddWaitOption(*changing, waitSeconds);

    auto* ports = app.add_subcommand("ports", "List the spooler's ports (name, monitor, description)");
    ports->add_flag("--json", json, "Print JSON");
    auto* monitors = app.add_subcommand("monitors", "List the spooler's port monitors");
    monitors->add_flag("--json", json, "Print JSON");

    ProbeOptions probeOptions;
    auto* probe = app.add_subcommand(
        "probe", "Ask a network receipt printer for its state (online, cover, paper, drawer) over TCP; changes nothing");
    AddProbeOptions(*probe, probeOptions);

    try {
        app.parse(argc, argv);
        if (*models) return RunModels(json);
        if (*plan) return RunPlan(planOptions, json);
        if (*install) return WithMachineLock(waitSeconds, [&] { return RunInstall(installOptions); });
        if (*checkPackage) return RunCheckPackage(checkOptions);
        if (*status) return *detect ? RunDetect(detectModel) : RunStatus(json);
        if (*testPrint) return RunTestPrint(testPrintOptions);
        if (*uninstall) return WithMachineLock(waitSeconds, [&] { return RunUninstall(uninstallOptions); });
        if (*apply) return WithMachineLock(waitSeconds, [&] { return RunApply(applyOptions); });
        if (*setDefault) return RunSetDefault(setDefaultOptions);
        if (*uninstallLogged) {
            return WithMachineLock(waitSeconds, [&] { return RunUninstallLogged(uninstallLoggedOptions); });
        }
        if (*ports) return RunPorts(json);
        if (*monitors) return RunMonitors(json);
        if (*probe) return RunProbe(probeOptions);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return kExitDone;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << app.help("", CLI::AppFormatMode::All);
        return kExitDone;
    } catch (const CLI::ParseError& e) {
        std::cerr << "tqinstall: " << e.what() << "\n";
        return kExitBadArguments;
    } catch (const PlanError& e) {
        std::cerr << "tqinstall: " << e.what() << "\n";
        return kExitBadArguments;
    }
    return kExitBadArguments;
}

#ifdef _WIN32
// Windows passes the arguments as UTF-16 here (linked with -municode), so a
// path outside the ANSI code page arrives intact.
int wmain(int argc, wchar_t** argv) {
    Utf8Arguments arguments(argc, argv);
    return Main(arguments.argc(), arguments.argv());
}
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif
