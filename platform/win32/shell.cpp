#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/system_library.h"

namespace tq::platform {
namespace {

// shell32 is loaded on first use, from the system directory, instead of being
// imported: its own dependencies are then looked up there too, never in the
// program's folder (where a planted version.dll could lie).
HMODULE Shell32() {
    static HMODULE module = win32::LoadSystemLibrary(L"shell32.dll");
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
