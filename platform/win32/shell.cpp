#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

namespace tq::platform {

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
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tq::platform
