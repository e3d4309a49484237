#include "platform/host_queries.h"

#include <windows.h>

namespace tq::platform {

std::optional<VersionTriple> QueryOsVersion() {
    OSVERSIONINFOEXA info;
    ZeroMemory(&info, sizeof info);
    static_assert(sizeof(OSVERSIONINFOEXA) == 156, "OSVERSIONINFOEXA layout");
    static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA layout");
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    auto* base = reinterpret_cast<OSVERSIONINFOA*>(&info);
    if (!GetVersionExA(base)) {
        // Systems before NT 4 SP6 know only the short record.
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(base)) return std::nullopt;
    }
    return VersionTriple{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

std::optional<std::uint32_t> QueryWow64() {
    // Looked up at run time: Windows before XP SP2 has no IsWow64Process.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (!kernel) return std::nullopt;
    auto fn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    if (!fn) return std::nullopt;
    BOOL flag = FALSE;
    fn(GetCurrentProcess(), &flag);  // a failing call leaves the flag at 0
    return static_cast<std::uint32_t>(flag);
}

bool ProcessIs64BitWindows() { return sizeof(void*) == 8; }

}  // namespace tq::platform
