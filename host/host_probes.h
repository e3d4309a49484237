// Which Windows runs, and which driver environment to install into: decisions
// over what the host queries answered (the machine place asks them).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/host_queries.h"

namespace tq {

// Signed 32-bit on purpose: the pages test it by number (3..9, 1..9).
enum OsKind : std::int32_t {
    Unclassified = 0,
    Win95 = 1,
    Win98 = 2,
    WinNT4 = 3,
    Win2000 = 4,
    WinXP = 5,
    Win2003 = 6,
    WinVista = 7,
    Win7 = 8,
    Win8 = 9,
};

enum class Architecture { x86, x64 };

using platform::VersionTriple;

// The version class of a (platform, major, minor) triple, or nothing.
std::optional<OsKind> ClassifyOsVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);

// The classification of `triple`; `held` when there is no triple or no class.
OsKind DetectOsKindFrom(OsKind held, const std::optional<VersionTriple>& triple);

// x64 when the process is itself 64-bit (it can only run on 64-bit Windows),
// or when the WOW64 flag is exactly 1; x86 otherwise.
Architecture ArchitectureFrom(bool process64, const std::optional<std::uint32_t>& wow64Flag);

const char* ArchitectureName(Architecture arch);  // "x86" or "x64"

}  // namespace tq
