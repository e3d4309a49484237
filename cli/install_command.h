// tqinstall install: one installation, silently, with a report.
#pragma once

#include <optional>
#include <string>

#include "cli/choice_options.h"
#include "cli/test_print_command.h"

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
int RunInstall(const InstallOptions& options);

}  // namespace tq::cli
