#include "cli/console_output.h"

#include <iostream>

#include "cli/exit_codes.h"

namespace tq::cli {

void PrintJson(const nlohmann::json& value) {
    std::cout << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

int NeedsWindows(const char* command) {
    std::cerr << "tqinstall: " << command << " needs Windows (its print spooler and registry); nothing was done\n";
    return kExitBadArguments;
}

}  // namespace tq::cli
