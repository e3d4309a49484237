// Adds local ports through the Local Port monitor's XcvData "AddPort", without
// a dialog, for the Wine tests; Wine's monitor writes the jobs of a port whose
// name is a Unix path into that file:
//   add_port NAME...   exit 0 when every port was added, else 1 (said on stderr)
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: add_port NAME...\n");
        return 2;
    }
    wchar_t monitor[] = L",XcvMonitor Local Port";
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE xcv = nullptr;
    if (!OpenPrinterW(monitor, &xcv, &defaults)) {
        std::fprintf(stderr, "OpenPrinterW(%ls) failed: %lu\n", monitor, GetLastError());
        return 1;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const int n = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, nullptr, 0);
        std::wstring name(static_cast<std::size_t>(n), L'\0');  // with the terminating NUL
        MultiByteToWideChar(CP_ACP, 0, argv[i], -1, &name[0], n);
        DWORD needed = 0, xcvStatus = ERROR_SUCCESS;
        const BOOL ok = XcvDataW(xcv, L"AddPort", reinterpret_cast<BYTE*>(&name[0]),
                                 static_cast<DWORD>(name.size() * sizeof(wchar_t)), nullptr, 0, &needed, &xcvStatus);
        if (!ok || xcvStatus != ERROR_SUCCESS) {
            std::fprintf(stderr, "XcvDataW AddPort %s failed: %lu, status %lu\n", argv[i], ok ? 0 : GetLastError(),
                         xcvStatus);
            status = 1;
        }
    }
    ClosePrinter(xcv);
    return status;
}
