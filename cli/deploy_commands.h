// tqinstall's commands for deployment tools: apply (a fleet file),
// set-default, status --detect, uninstall-logged (the MSI's removal), and the
// machine-wide lock that keeps two runs that change the machine apart.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace tq::cli {

// Seconds a run waits for another run's lock, by default.
constexpr unsigned kDefaultLockWait = 300;

// Adds --wait SECONDS to a command that changes the machine.
void AddWaitOption(CLI::App& app, unsigned& seconds);

// Runs `command` holding the machine lock. When another run holds it for
// `waitSeconds`, says so and returns 1618 without running the command.
int WithMachineLock(unsigned waitSeconds, const std::function<int()>& command);

struct ApplyOptions {
    std::string file;
    std::optional<std::string> package;
    std::string arch;
    bool json = false;
    std::optional<std::string> log;
};
void AddApplyOptions(CLI::App& app, ApplyOptions& options);
int RunApply(const ApplyOptions& options);

struct SetDefaultOptions {
    std::string model;
    bool json = false;
};
void AddSetDefaultOptions(CLI::App& app, SetDefaultOptions& options);
int RunSetDefault(const SetDefaultOptions& options);

// status --model ROW|NAME --detect: one line and 0 when the model is installed
// for this machine's environment, else nothing on stdout and 1.
int RunDetect(const std::string& model);

struct UninstallLoggedOptions {
    std::string recordFile;
    bool json = false;
    std::optional<std::string> log;
};
void AddUninstallLoggedOptions(CLI::App& app, UninstallLoggedOptions& options);
int RunUninstallLogged(const UninstallLoggedOptions& options);

}  // namespace tq::cli
