// Local ports with any name, for the Wine tests; names travel as UTF-16 here
// and as UTF-8 on the command line's output, so nothing is lost on the way:
//   port_tool add NAME        adds a Local Port NAME (XcvData "AddPort")
//   port_tool port-of PRINTER prints the printer's port (GetPrinterW level 2)
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? static_cast<std::size_t>(n) : 1u, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

int AddPort(const wchar_t* name) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
    HANDLE xcv = nullptr;
    wchar_t monitor[] = L",XcvMonitor Local Port";
    if (!OpenPrinterW(monitor, &xcv, &defaults)) {
        std::fprintf(stderr, "OpenPrinterW failed: %lu\n", GetLastError());
        return 1;
    }
    DWORD needed = 0, status = 0;
    const DWORD bytes = static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t));
    const BOOL ok = XcvDataW(xcv, L"AddPort", reinterpret_cast<BYTE*>(const_cast<wchar_t*>(name)), bytes, nullptr, 0,
                             &needed, &status);
    ClosePrinter(xcv);
    if (!ok || status != ERROR_SUCCESS) {
        std::fprintf(stderr, "XcvDataW AddPort failed: %lu, status %lu\n", GetLastError(), status);
        return 1;
    }
    return 0;
}

int PortOf(const wchar_t* printer) {
    HANDLE handle = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printer), &handle, nullptr)) {
        std::fprintf(stderr, "OpenPrinterW failed: %lu\n", GetLastError());
        return 1;
    }
    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    const BOOL ok = GetPrinterW(handle, 2, buffer.data(), needed, &needed);
    ClosePrinter(handle);
    if (!ok) {
        std::fprintf(stderr, "GetPrinterW failed: %lu\n", GetLastError());
        return 1;
    }
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    std::printf("%s\n", Utf8(info->pPortName ? info->pPortName : L"").c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"add") return AddPort(argv[2]);
    if (argc == 3 && std::wstring(argv[1]) == L"port-of") return PortOf(argv[2]);
    std::fprintf(stderr, "usage: port_tool add NAME | port_tool port-of PRINTER\n");
    return 2;
}
