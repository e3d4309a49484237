// A system without Win32 has no spooler, registry or Windows file copy.
#include "platform/system_services.h"

namespace tq::platform {

std::unique_ptr<Spooler> SystemSpooler() { return nullptr; }
std::unique_ptr<FileSystem> SystemFileSystem() { return nullptr; }
std::unique_ptr<Registry> SystemRegistry() { return nullptr; }
std::unique_ptr<Sleeper> SystemSleeper() { return nullptr; }
std::string SystemErrorText(ErrorCode) { return {}; }
std::string SystemTextToUtf8(const std::string& text) { return text; }
std::string Utf8ToSystemText(const std::string& text) { return text; }

}  // namespace tq::platform
