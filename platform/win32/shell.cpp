#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

namespace tq::platform {
namespace {

// shell32 is loaded on first use, from the system directory, instead of being
// imported: its own dependencies are then looked up there too, never in the
// program's folder (where a planted version.dll could lie). The full path is
// the fallback where LOAD_LIBRARY_SEARCH_SYSTEM32 is not known.
HMODULE Shell32() {
    static HMODULE module = [] {
        HMODULE m = LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (m) return m;
        wchar_t dir[MAX_PATH] = {};
        UINT n = GetSystemDirectoryW(dir, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return static_cast<HMODULE>(nullptr);
        return LoadLibraryW((std::wstring(dir, n) + L"\\shell32.dll").c_str());
    }();
    return module;
}

}  // namespace

std::wstring CurrentDirectory() {
    // Asked for the size first: a directory longer than MAX_PATH is read whole.
    for (;;) {
        DWORD size = GetCurrentDirectoryW(0, nullptr);
        if (size == 0) return {};
        std::wstring dir(size, L'\0');
        DWORD n = GetCurrentDirectoryW(size, dir.data());
        if (n < size) {
            dir.resize(n);
            return dir;
        }
        // The directory changed in between and grew: ask again.
    }
}

void ShellOpen(const std::wstring& path) {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    HMODULE shell = Shell32();
    if (!shell) return;
    auto execute = reinterpret_cast<ShellExecuteFn>(reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW")));
    if (execute) execute(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tq::platform
