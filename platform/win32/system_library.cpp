#include "platform/win32/system_library.h"

#include <string>

namespace tq::platform::win32 {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    const DWORD flagError = GetLastError();
    const UINT size = GetSystemDirectoryW(nullptr, 0);
    if (size == 0) return nullptr;
    std::wstring dir(size, L'\0');
    const UINT n = GetSystemDirectoryW(&dir[0], size);
    if (n == 0 || n >= size) {
        SetLastError(flagError);
        return nullptr;
    }
    dir.resize(n);
    return LoadLibraryW((dir + L"\\" + name).c_str());
}

}  // namespace tq::platform::win32
