// The program's entry point: makes DLL loading safe, registers the common
// controls and runs the application object's InitInstance.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/win32/system_library.h"
#include "ui/framework/framework.h"
#include "ui/framework/framework_rules.h"

namespace tq::ui {
namespace {

// From here on Windows' DLLs come from the system directory only, never from
// the program's folder or the current directory (an installer is often started
// from a download folder, where a planted DLL could lie). The function exists
// from Windows 8 on and on Windows 7 / Vista with KB2533623: looked up at run
// time. Where it is missing, the current directory at least leaves the search.
void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
    auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryW")));
    if (setDllDirectory) setDllDirectory(L"");
}

// comctl32 is not one of the DLLs Windows always takes from the system
// directory, so the program does not import it: it is loaded here, after the
// search has been restricted (the manifest's Common Controls 6 dependency
// still applies to a load by name), or by its full path where the restriction
// is not available.
void RegisterCommonControls() {
    HMODULE comctl = platform::win32::LoadSystemLibrary(L"comctl32.dll");
    if (!comctl) return;
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    if (!init) return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    init(&controls);
}

std::wstring ModulePath(HINSTANCE instance) {
    // The path may be longer than MAX_PATH: grow until it fits.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::wstring path(size, L'\0');
        DWORD n = GetModuleFileNameW(instance, path.data(), size);
        if (n < size || size >= 32768 * 2) {
            path.resize(n);
            return path;
        }
    }
}

}  // namespace

int RunApplication(HINSTANCE instance) {
    RestrictDllSearch();
    RegisterCommonControls();
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    std::wstring path = ModulePath(instance);
    if (app->m_pszAppName.empty()) app->m_pszAppName = ProgramTitle(path);
    app->m_pszHelpFilePath = HelpFilePath(path);
    if (app->InitInstance()) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return app->ExitInstance();
}

}  // namespace tq::ui

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return tq::ui::RunApplication(instance);
}
