// Loading one of Windows' own DLLs at run time, from the system directory
// only: a program started from a download folder must never pick up a DLL of
// that name planted beside it or in the current directory.
#pragma once

#include <windows.h>

namespace tq::platform::win32 {

// LoadLibraryExW(name, LOAD_LIBRARY_SEARCH_SYSTEM32), so that the DLL's own
// dependencies come from there too; where Windows does not know that flag
// (before KB2533623), the DLL's full path in the system directory. nullptr,
// with GetLastError set, when neither loads it.
HMODULE LoadSystemLibrary(const wchar_t* name);

}  // namespace tq::platform::win32
