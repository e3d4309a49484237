// The print spooler calls the installation run and the port pages make.
// Method names follow the Win32 calls they stand for (the ANSI versions);
// <winspool.h> stays out of files that include this one (WIN32_LEAN_AND_MEAN
// keeps it out of <windows.h>), since its macros would rename these methods.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/error_code.h"

namespace tq::platform {

constexpr std::size_t kDependentFilesSize = 255;

// What AddPrinterDriverA level 3 registers (DRIVER_INFO_3A); the plan fills it.
struct DriverRecord {
    unsigned cVersion = 2;
    std::string pName;
    std::string pEnvironment;
    std::string pDriverPath;
    std::string pDataFile;
    std::string pConfigFile;
    std::string pHelpFile;
    // NUL-ended texts, an empty text after the last, in a zero-filled area.
    std::array<char, kDependentFilesSize> pDependentFiles{};
    std::string pMonitorName;  // present and empty
    std::string pDefaultDataType;
};

// The texts of a dependent-files block, in order.
inline std::vector<std::string> DependentFileEntries(const std::array<char, kDependentFilesSize>& block) {
    std::vector<std::string> entries;
    std::size_t at = 0;
    while (at < block.size() && block[at] != '\0') {
        std::size_t end = at;
        while (end < block.size() && block[end] != '\0') ++end;
        entries.emplace_back(block.data() + at, end - at);
        at = end + 1;
    }
    return entries;
}

// What AddPrinterA level 2 creates (PRINTER_INFO_2A, every other field zero);
// the plan fills it. Texts in the system's ANSI code page.
struct PrinterRecord {
    std::string pPrinterName;
    std::string pPortName;
    std::string pDriverName;
    std::string pPrintProcessor;
    std::string pDatatype;
};

// A printer handle from AddPrinter; nullptr when the call failed.
using PrinterHandle = void*;
// An owner window (an HWND) for the monitors' own dialogs; nullptr for none.
using OwnerWindow = void*;

struct PortInfo {  // PORT_INFO_2
    std::string name;
    std::string monitor;
    std::string description;
};

struct PortList {
    std::vector<PortInfo> ports;  // in the spooler's order; empty when the call failed
    CallResult call;
};

struct MonitorList {
    std::vector<std::string> names;  // MONITOR_INFO_1 names, in the spooler's order
    CallResult call;
};

struct AddPrinterResult {
    PrinterHandle handle = nullptr;
    CallResult call;
};

// One registered driver, as EnumPrinterDriversA level 3 (DRIVER_INFO_3A) gives
// it; the file fields are the spooler's full paths.
struct InstalledDriver {
    unsigned version = 0;
    std::string name;
    std::string environment;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    std::vector<std::string> dependentFiles;
    std::string monitorName;
    std::string defaultDataType;
};

struct DriverList {
    std::vector<InstalledDriver> drivers;  // empty when the call failed
    CallResult call;
};

// One printer, the fields of PRINTER_INFO_2A that tell where it prints and how.
struct InstalledPrinter {
    std::string name;
    std::string port;
    std::string driver;
};

struct PrinterList {
    std::vector<InstalledPrinter> printers;  // empty when the call failed
    CallResult call;
};

struct OpenPrinterResult {
    PrinterHandle handle = nullptr;
    CallResult call;
};

struct PrinterDetails {
    InstalledPrinter printer;
    CallResult call;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // GetPrinterDriverDirectoryA(NULL, environment, 1, buffer, bufferSize, &needed)
    // on the local machine. The caller zero-fills the buffer; whatever the call
    // leaves there is the directory. `needed` receives the byte count asked for.
    virtual CallResult GetPrinterDriverDirectory(const std::string& environment, char* buffer,
                                                 std::uint32_t bufferSize, std::uint32_t* needed) = 0;

    // AddPrinterDriverA(NULL, 3, DRIVER_INFO_3A made from `driver`).
    virtual CallResult AddPrinterDriver(const DriverRecord& driver) = 0;

    // AddPrinterA(NULL, 2, PRINTER_INFO_2A made from `printer`, every other field zero).
    virtual AddPrinterResult AddPrinter(const PrinterRecord& printer) = 0;

    // ClosePrinter(handle), a null handle included.
    virtual CallResult ClosePrinter(PrinterHandle handle) = 0;

    // EnumPortsA(NULL, 2, ...) in two calls: the byte count, then the list.
    virtual PortList EnumPorts() = 0;

    // EnumMonitorsA(NULL, 1, ...) in two calls.
    virtual MonitorList EnumMonitors() = 0;

    // AddPortA(NULL, owner, monitor): the monitor shows its own dialog.
    virtual CallResult AddPort(OwnerWindow owner, const std::string& monitor) = 0;

    // ConfigurePortA(NULL, owner, port): the port's monitor shows its own dialog.
    virtual CallResult ConfigurePort(OwnerWindow owner, const std::string& port) = 0;

    // EnumPrinterDriversA(NULL, environment, 3, ...) in two calls.
    virtual DriverList EnumPrinterDrivers(const std::string& environment) = 0;

    // EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, ...) in two calls.
    virtual PrinterList EnumPrinters() = 0;

    // OpenPrinterA(name, &handle, defaults asking PRINTER_ALL_ACCESS).
    virtual OpenPrinterResult OpenPrinter(const std::string& name) = 0;

    // GetPrinterA(handle, 2, ...) in two calls.
    virtual PrinterDetails GetPrinter(PrinterHandle handle) = 0;

    // Moves the printer to `port`: GetPrinterA level 2, then SetPrinterA level 2
    // with that record, pPortName replaced and the security descriptor left
    // out (so it stays as it is).
    virtual CallResult SetPrinterPort(PrinterHandle handle, const std::string& port) = 0;

    // DeletePrinter(handle): the printer goes once its last handle is closed.
    virtual CallResult DeletePrinter(PrinterHandle handle) = 0;

    // DeletePrinterDriverA(NULL, environment, name): the registration only;
    // the files stay where they are.
    virtual CallResult DeletePrinterDriver(const std::string& environment, const std::string& name) = 0;
};

}  // namespace tq::platform
