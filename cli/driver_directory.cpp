#include "cli/driver_directory.h"
#include "install/install_run.h"
#include "platform/system_services.h"

namespace tq::cli {

std::string DefaultDriverDirectory(Architecture arch) {
    const auto spooler = platform::SystemSpooler();
    if (!spooler) return {};
    return QueryDriverDirectory(*spooler, arch).directory;
}

}  // namespace tq::cli
