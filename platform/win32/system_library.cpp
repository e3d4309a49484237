#include "platform/win32/system_library.h"

#include <string>

namespace tq::platform::win32 {

HMODULE LoadSystemLibrary(const char* name, DWORD& error) {
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        // Windows without the search flags (before KB2533623) rejects the
        // flag; the full path of the system directory is as safe.
        char dir[MAX_PATH];
        const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            const std::string path = std::string(dir) + "\\" + name;
            module = LoadLibraryA(path.c_str());
        }
    }
    error = module ? ERROR_SUCCESS : GetLastError();
    return module;
}

}  // namespace tq::platform::win32
