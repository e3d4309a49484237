// Host queries on a system without Win32: nothing to tell.
#include "platform/host_queries.h"

namespace tq::platform {

std::optional<VersionTriple> QueryOsVersion() { return std::nullopt; }
std::optional<std::uint32_t> QueryWow64() { return std::nullopt; }
bool ProcessIs64BitWindows() { return false; }

}  // namespace tq::platform
