// Stand-in for the USB driver installer in the Wine tests: appends the path it
// was started as to launches.log beside itself, then ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t path[4096] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, 4096);
    std::wstring self(path, n);
    std::wstring log = self.substr(0, self.find_last_of(L'\\') + 1) + L"launches.log";
    char utf8[8192] = {};
    int len = WideCharToMultiByte(CP_UTF8, 0, self.c_str(), static_cast<int>(self.size()), utf8, sizeof utf8, nullptr, nullptr);
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, utf8, static_cast<DWORD>(len), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
    return 0;
}
