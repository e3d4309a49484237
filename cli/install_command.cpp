#include "cli/install_command.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/console_output.h"
#include "cli/exit_codes.h"
#include "cli/report_output.h"
#include "cli/run_log.h"
#include "install/convergence.h"
#include "install/install_run.h"
#include "install/machine.h"
#include "install/tcp_port.h"
#include "cli/network_output.h"
#include "platform/system_services.h"

namespace tq::cli {
namespace {

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// One line per position, or one bar redrawn in place on a terminal.
class ProgressPrinter final : public ProgressSink {
public:
    ProgressPrinter(std::ostream& out, bool bar) : out_(out), bar_(bar) {}

    void SetPosition(int position) override {
        if (!bar_) {
            out_ << "progress " << position << "%\n" << std::flush;
            return;
        }
        constexpr int kWidth = 40;
        const int filled = position * kWidth / 100;
        out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << position << "%";
        if (position >= 100) out_ << "\n";
        out_ << std::flush;
    }

private:
    std::ostream& out_;
    bool bar_;
};

}  // namespace

void AddPackageOption(CLI::App& app, std::optional<std::string>& package) {
    app.add_option("--package", package,
                   "Package folder holding \"Printer Driver\\x86\\\" and \"Printer Driver\\x64\\\" "
                   "(default: the current directory)");
}

bool EnterPackageFolder(const std::optional<std::string>& package) {
    if (!package) return true;
    std::error_code error;
    std::filesystem::current_path(std::filesystem::u8path(*package), error);
    if (error) {
        std::cerr << "tqinstall: --package: cannot use the folder '" << *package << "': " << error.message() << "\n";
        return false;
    }
    return true;
}

void AddInstallOptions(CLI::App& app, InstallOptions& o) {
    AddChoiceOptions(app, o.choices, false);
    AddPackageOption(app, o.package);
    app.add_flag("--json", o.json, "Print the report as JSON (progress lines then go to stderr)");
    AddLogOption(app, o.log);
    auto* testPrint = app.add_flag("--test-print", o.testPrint,
                                   "After a clean install, print a test receipt (see 'test-print')");
    AddReceiptOptions(app, o.receipt, testPrint);
}

std::optional<PortRefusal> CheckPortBeforeInstall(platform::Spooler& spooler, const std::string& portName,
                                                  const std::optional<TcpPortSettings>& networkPort,
                                                  const std::string& place) {
    // A printer on a port the spooler does not have prints nowhere (and
    // Windows refuses it halfway, after the files and the driver): the port is
    // checked before anything changes. A network port is made by the run instead.
    if (networkPort) return std::nullopt;
    const platform::PortList listed = spooler.EnumPorts();
    if (!listed.call.ok) {
        std::string message = "the spooler's ports could not be listed to check the port (EnumPortsA error " +
                              std::to_string(listed.call.error);
        const std::string text = platform::SystemErrorText(listed.call.error);
        if (!text.empty()) message += ": " + text;
        return PortRefusal{kExitFailed, message + "); nothing was done"};
    }
    if (auto refused = PortNotListedMessage(portName, listed.ports, place)) return PortRefusal{kExitBadArguments, *refused};
    return std::nullopt;
}

InstallReport InstallOnePrinter(const InstallChoices& choices, const std::optional<TcpPortSettings>& networkPort,
                                ProgressSink& sink, const platform::InstallPlatform& platform) {
    return networkPort ? InstallOnNetworkPort(choices, *networkPort, sink, platform)
                       : InstallConverging(choices, sink, platform);
}

int RunInstall(const InstallOptions& o) {
    const InstallChoices choices = ResolveChoices(o.choices);
    // A registry write failure goes into the report; nobody is there to confirm a box.
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("install");
    const std::optional<TcpPortSettings> networkPort = NetworkPortChoice(o.choices.port);
    if (const auto refused = CheckPortBeforeInstall(machine->spooler(), choices.portName, networkPort)) {
        std::cerr << "tqinstall: " << refused->message << "\n";
        return refused->status;
    }
    RunLogFile log;  // opened before --package changes the current directory
    if (!log.Open(o.log)) return kExitBadArguments;
    if (!EnterPackageFolder(o.package)) return kExitBadArguments;

    std::ostream& progressOut = o.json ? std::cerr : std::cout;
    ProgressPrinter progress(progressOut, IsTerminal(o.json ? stderr : stdout));
    if (!o.json) {
        std::cout << "Installing \"" << choices.model.displayName << "\" for " << EnvironmentName(choices.architecture)
                  << " from " << std::filesystem::current_path().u8string() << "\n";
    }
    const InstallReport report = InstallOnePrinter(choices, networkPort, progress, machine->Platform());
    // Without its network port nothing else was done.
    const bool portFailed = networkPort && IsFailure(report.steps.front().outcome);

    int status = InstallExitStatus(report);
    // The test receipt follows a clean install only: a printer left half-made would fail it for the wrong reason.
    std::optional<TestPrintRun> receipt;
    if (o.testPrint && status == kExitDone) receipt = PrintTestReceipt(machine->spooler(), machine->Platform().sleeper, choices.model, o.receipt);

    if (o.json) {
        nlohmann::json out = ReportToJson(report, platform::SystemErrorText);
        if (o.testPrint) {
            out["testPrint"] = receipt ? TestPrintToJson(receipt->settings, receipt->report, platform::SystemErrorText)
                                       : nlohmann::json(nullptr);
        }
        PrintJson(out);
    } else {
        std::cout << ReportToText(report, platform::SystemErrorText);
        if (portFailed) {
            std::cout << "Nothing was installed: without its port the printer could not print. "
                         "No file was copied, nothing was registered or written.\n";
        }
        if (receipt) {
            std::cout << TestPrintToText(receipt->settings, receipt->report, platform::SystemErrorText);
        } else if (o.testPrint) {
            std::cout << "No test receipt was printed: the installation did not succeed.\n";
        }
    }
    if (!log.Write("install", ChoicesToJson(choices), report, status) && status == kExitDone) status = kExitFailed;
    if (receipt) {
        const int printed = TestPrintExitStatus(receipt->report);
        if (!LogTestPrint(log, *receipt, printed) && status == kExitDone) status = kExitFailed;
        if (status == kExitDone) status = printed;
    }
    if (status == kExitNotAllowed) {
        std::cerr << "tqinstall: access was denied; installing a printer driver needs administrator rights\n";
    }
    return status;
}

}  // namespace tq::cli
