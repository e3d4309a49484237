// tqinstall check-package, status and uninstall, and the --log file they and
// install share.
#pragma once

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "install/install_run.h"

namespace CLI {
class App;
}

namespace tq::cli {

struct CheckPackageOptions {
    std::optional<std::string> package;  // default: the current directory
    bool json = false;
};

struct UninstallOptions {
    std::string model;
    std::string arch;  // empty: the WOW64 test
    bool json = false;
    std::optional<std::string> log;
};

void AddCheckPackageOptions(CLI::App& app, CheckPackageOptions& options);
void AddUninstallOptions(CLI::App& app, UninstallOptions& options);
// Adds --log FILE to a command that changes the machine.
void AddLogOption(CLI::App& app, std::optional<std::string>& log);

int RunCheckPackage(const CheckPackageOptions& options);
int RunStatus(bool json);
int RunUninstall(const UninstallOptions& options);

// The --log file, opened for appending before the command does anything (a
// file that cannot be opened stops the command with status 2).
class RunLogFile {
public:
    // False, with the reason on stderr, when `path` cannot be opened.
    bool Open(const std::optional<std::string>& path);
    // Appends the run's line; false (said on stderr) when it could not be written.
    bool Write(const std::string& command, const nlohmann::json& choices, const InstallReport& report,
               int exitStatus);
    // Appends a line made elsewhere (apply's, with every printer's report).
    bool WriteLine(const nlohmann::json& line);

private:
    std::optional<std::string> path_;
    std::unique_ptr<std::ofstream> out_;
};

}  // namespace tq::cli
