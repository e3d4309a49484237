// tqinstall check-package, status and uninstall.
#pragma once

#include <optional>
#include <string>

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

int RunCheckPackage(const CheckPackageOptions& options);
int RunStatus(bool json);
int RunUninstall(const UninstallOptions& options);

}  // namespace tq::cli
