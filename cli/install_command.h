// tqinstall install: one installation, silently, with a report.
#pragma once

#include <optional>
#include <string>

#include "cli/choice_options.h"
#include "cli/test_print_command.h"
#include "install/install_run.h"
#include "install/tcp_port.h"
#include "platform/install_platform.h"

namespace tq::cli {

struct InstallOptions {
    ChoiceOptions choices;
    std::optional<std::string> package;  // the package folder; default the current directory
    bool json = false;
    std::optional<std::string> log;
    bool testPrint = false;  // print a test receipt after a clean install
    ReceiptOptions receipt;
};

void AddInstallOptions(CLI::App& app, InstallOptions& options);

// --package DIR, for the commands that install from a package folder.
void AddPackageOption(CLI::App& app, std::optional<std::string>& package);
// Makes `package` (when given) the current directory, since the run takes its
// source files relative to it; false, said on stderr, when it cannot be used.
bool EnterPackageFolder(const std::optional<std::string>& package);
int RunInstall(const InstallOptions& options);

// Why an install cannot go on its port, checked before anything changes: a
// port the spooler does not list (status 2), or a port list that could not be
// read (status 1). A network port passes: the install makes it. `place` names
// where the port was given ("--port", "printers[1].port").
struct PortRefusal {
    int status;
    std::string message;
};
std::optional<PortRefusal> CheckPortBeforeInstall(platform::Spooler& spooler, const std::string& portName,
                                                  const std::optional<TcpPortSettings>& networkPort,
                                                  const std::string& place = "--port");

// One printer's installation, as install and apply run it: its network port
// first when it has one, then the installation that tells what it changed.
InstallReport InstallOnePrinter(const InstallChoices& choices, const std::optional<TcpPortSettings>& networkPort,
                                ProgressSink& sink, const platform::InstallPlatform& platform);

}  // namespace tq::cli
