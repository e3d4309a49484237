// Loading one of Windows' own DLLs at run time, from the system directory only.
#pragma once

#include <windows.h>

namespace tq::platform::win32 {

// The system directory's `name` (such as "winspool.drv"), or nullptr with
// `error` set. Never the program's folder or the current directory: an
// installer is often started from a download folder, and a DLL of that name
// planted there would be loaded in place of the system's own.
HMODULE LoadSystemLibrary(const char* name, DWORD& error);

}  // namespace tq::platform::win32
