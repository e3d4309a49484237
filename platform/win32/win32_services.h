// The Win32 implementations behind system_services.h, one per source file.
#pragma once

#include <memory>

#include "platform/system_services.h"

namespace tq::platform::win32 {

std::unique_ptr<Spooler> MakeSpooler();

}  // namespace tq::platform::win32
