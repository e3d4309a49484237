#include "host/host_probes.h"

namespace tq {

std::optional<OsKind> ClassifyOsVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor) {
    if (platformId == 1) {  // the Windows 95 family
        if (major != 4) return std::nullopt;
        if (minor == 0) return Win95;
        if (minor == 10 || minor == 90) return Win98;
        return std::nullopt;
    }
    if (platformId == 2) {  // Windows NT
        if (major <= 4) return WinNT4;
        if (major == 5) {
            static const OsKind kinds[] = {Win2000, WinXP, Win2003};
            return minor <= 2 ? std::optional<OsKind>(kinds[minor]) : std::nullopt;
        }
        if (major == 6) {
            static const OsKind kinds[] = {WinVista, Win7, Win8};
            return minor <= 2 ? std::optional<OsKind>(kinds[minor]) : std::nullopt;
        }
        return std::nullopt;
    }
    return Win2000;  // every other platform
}

OsKind DetectOsKindFrom(OsKind held, const std::optional<VersionTriple>& triple) {
    if (!triple) return held;
    const auto kind = ClassifyOsVersion(triple->platformId, triple->major, triple->minor);
    return kind ? *kind : held;
}

Architecture ArchitectureFrom(bool process64, const std::optional<std::uint32_t>& wow64Flag) {
    if (process64) return Architecture::x64;
    return (wow64Flag && *wow64Flag == 1) ? Architecture::x64 : Architecture::x86;
}

const char* ArchitectureName(Architecture arch) { return arch == Architecture::x64 ? "x64" : "x86"; }

}  // namespace tq
