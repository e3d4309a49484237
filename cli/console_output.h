// What every tqinstall command writes the same way.
#pragma once

#include <nlohmann/json.hpp>

namespace tq::cli {

// `value` on stdout, indented, bytes that are not UTF-8 replaced, and "\n".
void PrintJson(const nlohmann::json& value);

// Says on stderr that `command` needs Windows and returns kExitBadArguments.
int NeedsWindows(const char* command);

}  // namespace tq::cli
