// The spooler through winspool.drv, loaded from the system directory at run
// time. The exe does not import winspool.drv: an installer is often started
// from a download folder, and a winspool.drv planted there would be loaded in
// place of the system's own if the loader resolved the import.
#include "platform/spooler.h"

#include <windows.h>
#include <winspool.h>

#include <array>

#include "platform/win32/system_library.h"
#include "platform/win32/win32_services.h"

// <winspool.h> maps these names to their A/W versions; our methods keep them.
#undef GetPrinterDriverDirectory
#undef AddPrinterDriver
#undef AddPrinter
#undef EnumPorts
#undef EnumMonitors
#undef AddPort
#undef ConfigurePort
#undef EnumPrinterDrivers
#undef EnumPrinters
#undef OpenPrinter
#undef GetPrinter
#undef DeletePrinterDriver

namespace tq::platform::win32 {
namespace {

struct Winspool {
    HMODULE module = nullptr;
    DWORD loadError = ERROR_SUCCESS;
};

const Winspool& LoadWinspool() {
    static const Winspool loaded = [] {
        Winspool w;
        w.module = LoadSystemLibrary(L"winspool.drv");
        if (!w.module) w.loadError = GetLastError();
        return w;
    }();
    return loaded;
}

// The spooler function `name` of type Fn, or nullptr with `error` set.
template <class Fn>
Fn Lookup(const char* name, ErrorCode& error) {
    const Winspool& w = LoadWinspool();
    if (!w.module) {
        error = w.loadError ? w.loadError : ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(w.module, name)));
    if (!fn) error = GetLastError() ? GetLastError() : ERROR_PROC_NOT_FOUND;
    return fn;
}

#define TQ_SPOOLER_FN(var, name)                 \
    ErrorCode var##Error = ERROR_SUCCESS;        \
    auto var = Lookup<decltype(&::name)>(#name, var##Error)

CallResult FromBool(BOOL ok) { return ok ? CallResult::Success() : CallResult::Failure(GetLastError()); }

// The Win32 records take non-const texts; these are writable copies.
char* Text(std::string& s) { return &s[0]; }

class Win32Spooler final : public Spooler {
public:
    CallResult GetPrinterDriverDirectory(const std::string& environment, char* buffer, std::uint32_t bufferSize,
                                         std::uint32_t* needed) override {
        TQ_SPOOLER_FN(fn, GetPrinterDriverDirectoryA);
        if (!fn) return CallResult::Failure(fnError);
        std::string env = environment;
        DWORD need = 0;
        const BOOL ok = fn(nullptr, Text(env), 1, reinterpret_cast<LPBYTE>(buffer), bufferSize, &need);
        const CallResult result = FromBool(ok);
        if (needed) *needed = need;
        return result;
    }

    CallResult AddPrinterDriver(const DriverRecord& d) override {
        TQ_SPOOLER_FN(fn, AddPrinterDriverA);
        if (!fn) return CallResult::Failure(fnError);
        std::string name = d.pName, env = d.pEnvironment, driverPath = d.pDriverPath, dataFile = d.pDataFile,
                    configFile = d.pConfigFile, helpFile = d.pHelpFile, monitor = d.pMonitorName,
                    dataType = d.pDefaultDataType;
        std::array<char, kDependentFilesSize> dependents = d.pDependentFiles;
        DRIVER_INFO_3A info;
        ZeroMemory(&info, sizeof info);
        info.cVersion = d.cVersion;
        info.pName = Text(name);
        info.pEnvironment = Text(env);
        info.pDriverPath = Text(driverPath);
        info.pDataFile = Text(dataFile);
        info.pConfigFile = Text(configFile);
        info.pHelpFile = Text(helpFile);
        info.pDependentFiles = dependents.data();
        info.pMonitorName = Text(monitor);  // present and empty
        info.pDefaultDataType = Text(dataType);
        return FromBool(fn(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
    }

    AddPrinterResult AddPrinter(const PrinterRecord& p) override {
        TQ_SPOOLER_FN(fn, AddPrinterA);
        if (!fn) return {nullptr, CallResult::Failure(fnError)};
        std::string printerName = p.pPrinterName, portName = p.pPortName, driverName = p.pDriverName,
                    processor = p.pPrintProcessor, dataType = p.pDatatype;
        PRINTER_INFO_2A info;
        ZeroMemory(&info, sizeof info);  // every field not set here stays zero or absent
        info.pPrinterName = Text(printerName);
        info.pPortName = Text(portName);
        info.pDriverName = Text(driverName);
        info.pPrintProcessor = Text(processor);
        info.pDatatype = Text(dataType);
        HANDLE handle = fn(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
        if (!handle) return {nullptr, CallResult::Failure(GetLastError())};
        return {handle, CallResult::Success()};
    }

    CallResult ClosePrinter(PrinterHandle handle) override {
        TQ_SPOOLER_FN(fn, ClosePrinter);
        if (!fn) return CallResult::Failure(fnError);
        return FromBool(fn(static_cast<HANDLE>(handle)));
    }

    PortList EnumPorts() override {
        TQ_SPOOLER_FN(fn, EnumPortsA);
        if (!fn) return {{}, CallResult::Failure(fnError)};
        PortList list;
        std::vector<BYTE> buffer;
        DWORD returned = 0;
        list.call = TwoCalls(buffer, returned, [&](LPBYTE data, DWORD size, DWORD* needed, DWORD* count) {
            return fn(nullptr, 2, data, size, needed, count);
        });
        const auto* info = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
        for (DWORD i = 0; list.call.ok && i < returned; ++i) {
            list.ports.push_back({Str(info[i].pPortName), Str(info[i].pMonitorName), Str(info[i].pDescription)});
        }
        return list;
    }

    MonitorList EnumMonitors() override {
        TQ_SPOOLER_FN(fn, EnumMonitorsA);
        if (!fn) return {{}, CallResult::Failure(fnError)};
        MonitorList list;
        std::vector<BYTE> buffer;
        DWORD returned = 0;
        list.call = TwoCalls(buffer, returned, [&](LPBYTE data, DWORD size, DWORD* needed, DWORD* count) {
            return fn(nullptr, 1, data, size, needed, count);
        });
        const auto* info = reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data());
        for (DWORD i = 0; list.call.ok && i < returned; ++i) list.names.push_back(Str(info[i].pName));
        return list;
    }

    CallResult AddPort(OwnerWindow owner, const std::string& monitor) override {
        TQ_SPOOLER_FN(fn, AddPortA);
        if (!fn) return CallResult::Failure(fnError);
        std::string name = monitor;
        return FromBool(fn(nullptr, static_cast<HWND>(owner), Text(name)));
    }

    CallResult ConfigurePort(OwnerWindow owner, const std::string& port) override {
        TQ_SPOOLER_FN(fn, ConfigurePortA);
        if (!fn) return CallResult::Failure(fnError);
        std::string name = port;
        return FromBool(fn(nullptr, static_cast<HWND>(owner), Text(name)));
    }

    DriverList EnumPrinterDrivers(const std::string& environment) override {
        TQ_SPOOLER_FN(fn, EnumPrinterDriversA);
        if (!fn) return {{}, CallResult::Failure(fnError)};
        std::string env = environment;
        DriverList list;
        std::vector<BYTE> buffer;
        DWORD returned = 0;
        list.call = TwoCalls(buffer, returned, [&](LPBYTE data, DWORD size, DWORD* needed, DWORD* count) {
            return fn(nullptr, Text(env), 3, data, size, needed, count);
        });
        const auto* info = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
        for (DWORD i = 0; list.call.ok && i < returned; ++i) {
            InstalledDriver d;
            d.version = info[i].cVersion;
            d.name = Str(info[i].pName);
            d.environment = Str(info[i].pEnvironment);
            d.driverPath = Str(info[i].pDriverPath);
            d.dataFile = Str(info[i].pDataFile);
            d.configFile = Str(info[i].pConfigFile);
            d.helpFile = Str(info[i].pHelpFile);
            for (const char* f = info[i].pDependentFiles; f && *f; f += lstrlenA(f) + 1) d.dependentFiles.push_back(f);
            d.monitorName = Str(info[i].pMonitorName);
            d.defaultDataType = Str(info[i].pDefaultDataType);
            list.drivers.push_back(std::move(d));
        }
        return list;
    }

    PrinterList EnumPrinters() override {
        TQ_SPOOLER_FN(fn, EnumPrintersA);
        if (!fn) return {{}, CallResult::Failure(fnError)};
        PrinterList list;
        std::vector<BYTE> buffer;
        DWORD returned = 0;
        list.call = TwoCalls(buffer, returned, [&](LPBYTE data, DWORD size, DWORD* needed, DWORD* count) {
            return fn(PRINTER_ENUM_LOCAL, nullptr, 2, data, size, needed, count);
        });
        const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        for (DWORD i = 0; list.call.ok && i < returned; ++i) list.printers.push_back(Printer(info[i]));
        return list;
    }

    OpenPrinterResult OpenPrinter(const std::string& name) override {
        TQ_SPOOLER_FN(fn, OpenPrinterA);
        if (!fn) return {nullptr, CallResult::Failure(fnError)};
        std::string printerName = name;
        PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE handle = nullptr;
        if (!fn(Text(printerName), &handle, &defaults)) return {nullptr, CallResult::Failure(GetLastError())};
        return {handle, CallResult::Success()};
    }

    PrinterDetails GetPrinter(PrinterHandle handle) override {
        std::vector<BYTE> buffer;
        const CallResult call = GetLevel2(handle, buffer);
        if (!call.ok) return {{}, call};
        return {Printer(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data())), call};
    }

    CallResult SetPrinterPort(PrinterHandle handle, const std::string& port) override {
        TQ_SPOOLER_FN(fn, SetPrinterA);
        if (!fn) return CallResult::Failure(fnError);
        std::vector<BYTE> buffer;
        const CallResult got = GetLevel2(handle, buffer);
        if (!got.ok) return got;
        auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
        std::string portName = port;
        info->pPortName = Text(portName);
        info->pSecurityDescriptor = nullptr;  // unchanged; changing it would need WRITE_DAC
        return FromBool(fn(static_cast<HANDLE>(handle), 2, buffer.data(), 0));
    }

    CallResult DeletePrinter(PrinterHandle handle) override {
        TQ_SPOOLER_FN(fn, DeletePrinter);
        if (!fn) return CallResult::Failure(fnError);
        return FromBool(fn(static_cast<HANDLE>(handle)));
    }

    CallResult DeletePrinterDriver(const std::string& environment, const std::string& name) override {
        TQ_SPOOLER_FN(fn, DeletePrinterDriverA);
        if (!fn) return CallResult::Failure(fnError);
        std::string env = environment, driverName = name;
        return FromBool(fn(nullptr, Text(env), Text(driverName)));
    }

private:
    static std::string Str(const char* s) { return s ? s : ""; }

    static InstalledPrinter Printer(const PRINTER_INFO_2A& info) {
        return {Str(info.pPrinterName), Str(info.pPortName), Str(info.pDriverName)};
    }

    // GetPrinterA(handle, 2, ...) in two calls into `buffer`.
    static CallResult GetLevel2(PrinterHandle handle, std::vector<BYTE>& buffer) {
        TQ_SPOOLER_FN(fn, GetPrinterA);
        if (!fn) return CallResult::Failure(fnError);
        DWORD needed = 0;
        if (fn(static_cast<HANDLE>(handle), 2, nullptr, 0, &needed)) return CallResult::Failure(ERROR_INVALID_DATA);
        const DWORD first = GetLastError();
        if (first != ERROR_INSUFFICIENT_BUFFER || needed < sizeof(PRINTER_INFO_2A)) return CallResult::Failure(first);
        buffer.assign(needed, 0);
        return FromBool(fn(static_cast<HANDLE>(handle), 2, buffer.data(), needed, &needed));
    }

    // An enumeration in two calls: the byte count, then a buffer of that size.
    template <class Call>
    static CallResult TwoCalls(std::vector<BYTE>& buffer, DWORD& returned, Call call) {
        DWORD needed = 0;
        returned = 0;
        if (call(nullptr, 0, &needed, &returned)) return CallResult::Success();  // nothing to list
        const DWORD first = GetLastError();
        if (first != ERROR_INSUFFICIENT_BUFFER || needed == 0) return CallResult::Failure(first);
        buffer.assign(needed, 0);
        if (!call(buffer.data(), needed, &needed, &returned)) {
            returned = 0;
            return CallResult::Failure(GetLastError());
        }
        return CallResult::Success();
    }
};

}  // namespace

std::unique_ptr<Spooler> MakeSpooler() { return std::make_unique<Win32Spooler>(); }

}  // namespace tq::platform::win32
