// Prints as JSON what the machine holds after an installation, for the Wine tests:
//   check_machine ENVIRONMENT [KEY VALUE]...
// {"drivers": EnumPrinterDriversA level 3 for ENVIRONMENT, "printers": EnumPrintersA
//  level 2, "defaultPrinter": GetDefaultPrinterA, "registry": {"KEY\\VALUE": REG_SZ data}}
// KEY starts with HKCU\ or HKLM\. Missing things are null.
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

json Text(const char* s) { return s ? json(s) : json(nullptr); }

// Both enumerations are made in two calls: the byte count, then the data.
template <class Call>
std::vector<BYTE> Enumerate(Call call, DWORD& count) {
    DWORD needed = 0;
    count = 0;
    call(nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed ? needed : 1);
    if (!call(buffer.data(), needed, &needed, &count)) count = 0;
    return buffer;
}

json Drivers(const char* environment) {
    std::string env = environment;
    DWORD count = 0;
    auto buffer = Enumerate(
        [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrinterDriversA(nullptr, &env[0], 3, data, size, needed, returned);
        },
        count);
    json out = json::array();
    const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        json dependents = json::array();
        for (const char* p = info[i].pDependentFiles; p && *p; p += std::strlen(p) + 1) dependents.push_back(p);
        out.push_back({{"cVersion", info[i].cVersion},
                       {"pName", Text(info[i].pName)},
                       {"pEnvironment", Text(info[i].pEnvironment)},
                       {"pDriverPath", Text(info[i].pDriverPath)},
                       {"pDataFile", Text(info[i].pDataFile)},
                       {"pConfigFile", Text(info[i].pConfigFile)},
                       {"pHelpFile", Text(info[i].pHelpFile)},
                       {"pDependentFiles", dependents},
                       {"pMonitorName", Text(info[i].pMonitorName)},
                       {"pDefaultDataType", Text(info[i].pDefaultDataType)}});
    }
    return out;
}

json Printers() {
    DWORD count = 0;
    auto buffer = Enumerate(
        [&](BYTE* data, DWORD size, DWORD* needed, DWORD* returned) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, returned);
        },
        count);
    json out = json::array();
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        out.push_back({{"pPrinterName", Text(info[i].pPrinterName)},
                       {"pPortName", Text(info[i].pPortName)},
                       {"pDriverName", Text(info[i].pDriverName)},
                       {"pPrintProcessor", Text(info[i].pPrintProcessor)},
                       {"pDatatype", Text(info[i].pDatatype)}});
    }
    return out;
}

json DefaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterA(nullptr, &size);
    if (size == 0) return nullptr;
    std::string name(size, '\0');
    if (!GetDefaultPrinterA(&name[0], &size)) return nullptr;
    return name.c_str();
}

json RegistryValue(const std::string& key, const std::string& value) {
    const HKEY root = key.rfind("HKLM\\", 0) == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::string path = key.substr(5);
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return nullptr;
    const LONG status = RegQueryValueExA(h, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(h);
    if (status != ERROR_SUCCESS || type != REG_SZ) return nullptr;
    return std::string(data, size).c_str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: check_machine ENVIRONMENT [KEY VALUE]...\n");
        return 2;
    }
    json registry = json::object();
    for (int i = 2; i + 1 < argc; i += 2) registry[std::string(argv[i]) + "\\" + argv[i + 1]] = RegistryValue(argv[i], argv[i + 1]);
    const json out = {{"drivers", Drivers(argv[1])},
                      {"printers", Printers()},
                      {"defaultPrinter", DefaultPrinter()},
                      {"registry", registry}};
    std::printf("%s\n", out.dump(2, ' ', false, json::error_handler_t::replace).c_str());
    return 0;
}
