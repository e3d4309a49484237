#include "cli/exit_codes.h"

namespace tq::cli {

std::string DefaultDriverDirectory(Architecture) { return {}; }

}  // namespace tq::cli
