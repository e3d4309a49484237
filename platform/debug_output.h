// Text for an attached debugger (OutputDebugStringA); nothing elsewhere.
#pragma once

#include <string>

namespace tq::platform {

void DebugOutput(const std::string& text);

}  // namespace tq::platform
