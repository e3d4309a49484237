#pragma once

#include <string>

#include "host/host_probes.h"

namespace tq::cli {

// The spooler's driver directory for the architecture's environment; empty
// where there is no spooler.
std::string DefaultDriverDirectory(Architecture arch);

}  // namespace tq::cli
