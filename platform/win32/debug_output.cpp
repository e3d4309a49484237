#include "platform/debug_output.h"

#include <windows.h>

namespace tq::platform {

void DebugOutput(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace tq::platform
