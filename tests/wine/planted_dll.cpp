// A DLL planted beside the exe in the DLL-planting test, under the name of a
// system DLL: when it is loaded, its DllMain appends its path to the file
// named by TQ_PLANT_MARK.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t mark[2048] = {};
    if (!GetEnvironmentVariableW(L"TQ_PLANT_MARK", mark, 2048)) return TRUE;
    wchar_t self[2048] = {};
    DWORD n = GetModuleFileNameW(instance, self, 2048);
    HANDLE file = CreateFileW(mark, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    WriteFile(file, self, n * sizeof(wchar_t), &written, nullptr);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return TRUE;
}
