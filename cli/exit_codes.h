#pragma once

#include <string>

#include "host/host_probes.h"

namespace tq::cli {

// The same for every command.
constexpr int kExitDone = 0;          // everything succeeded
constexpr int kExitFailed = 1;        // something failed; the report says what
constexpr int kExitBadArguments = 2;  // bad arguments, or a command this system cannot run
constexpr int kExitNotAllowed = 3;    // no administrator rights

// The spooler's driver directory for the architecture's environment; empty
// where there is no spooler.
std::string DefaultDriverDirectory(Architecture arch);

}  // namespace tq::cli
