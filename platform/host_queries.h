// The two questions the host probes ask the system. On Windows they are Win32
// calls; elsewhere they answer "nothing".
#pragma once

#include <cstdint>
#include <optional>

namespace tq::platform {

// The (platform, major, minor) triple GetVersionExA reports.
struct VersionTriple {
    std::uint32_t platformId;
    std::uint32_t major;
    std::uint32_t minor;
};

// dwPlatformId, dwMajorVersion, dwMinorVersion from GetVersionExA, or nothing.
std::optional<VersionTriple> QueryOsVersion();

// The flag IsWow64Process writes for this process, or nothing without that function.
std::optional<std::uint32_t> QueryWow64();

// True for a native 64-bit Windows process, which runs only on 64-bit Windows.
bool ProcessIs64BitWindows();

}  // namespace tq::platform
