#include "cli/driver_directory.h"
#include "install/install_run.h"
#include "install/machine.h"

namespace tq::cli {

std::string DefaultDriverDirectory(Architecture arch) {
    const auto machine = Machine::Open();
    if (!machine) return {};
    return QueryDriverDirectory(machine->spooler(), arch).directory;
}

}  // namespace tq::cli
