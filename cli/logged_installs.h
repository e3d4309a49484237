// What installs recorded in a --log file made: the models whose printer an
// install (or an apply) created and no later uninstall took away. The MSI's
// removal takes exactly those away, and nothing that was there before.
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace tq::cli {

struct LoggedModel {
    int row = 0;
    std::string environment;  // "Windows NT x86" / "Windows x64"
};

// Reads the log's lines in order: a printer that an install or apply line says
// was created (its createPrinter step changed the machine) adds its model and
// environment; a successful uninstall line of that model and environment takes
// it away again. Lines that are not such JSON are skipped. In order of creation.
std::vector<LoggedModel> ModelsMadeByLog(std::istream& log);

}  // namespace tq::cli
