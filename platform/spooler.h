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
    std::uint32_t status = 0;      // PRINTER_STATUS_* bits
    std::uint32_t attributes = 0;  // PRINTER_ATTRIBUTE_* bits
    std::uint32_t jobs = 0;        // cJobs: the jobs in its queue
};

struct PrinterList {
    std::vector<InstalledPrinter> printers;  // empty when the call failed
    CallResult call;
};

struct OpenPrinterResult {
    PrinterHandle handle = nullptr;
    CallResult call;
};

// The answer of XcvDataW: the call's own result, the monitor's status
// (pdwStatus; 0 is success) and the output bytes it wrote.
struct XcvAnswer {
    CallResult call;
    ErrorCode status = kErrorSuccess;
    std::vector<std::uint8_t> output;
};

struct PrinterDetails {
    InstalledPrinter printer;
    CallResult call;
};

// A RAW document begun with StartDocPrinterA: the spooler's job id.
struct DocumentStart {
    std::uint32_t jobId = 0;
    CallResult call;
};

// One job in a printer's queue, the fields of JOB_INFO_1A that tell its state.
struct JobDetails {
    std::uint32_t status = 0;  // JOB_STATUS_* bits
    std::string statusText;    // pStatus: the port monitor's own words, often empty
    CallResult call;           // fails with ERROR_INVALID_PARAMETER once the job has left the queue
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

    // OpenPrinterA(name, &handle, defaults asking PRINTER_ACCESS_USE): enough to
    // print and to read the printer's and its jobs' state, for any user.
    virtual OpenPrinterResult OpenPrinterToPrint(const std::string& name) = 0;

    // StartDocPrinterA(handle, 1, DOC_INFO_1A {documentName, NULL, dataType}).
    virtual DocumentStart StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                          const std::string& dataType) = 0;

    // WritePrinter(handle, bytes, size, &written).
    virtual CallResult WritePrinter(PrinterHandle handle, const std::string& bytes, std::uint32_t* written) = 0;

    // EndDocPrinter(handle).
    virtual CallResult EndDocPrinter(PrinterHandle handle) = 0;

    // GetJobA(handle, jobId, 1, ...) in two calls.
    virtual JobDetails GetJob(PrinterHandle handle, std::uint32_t jobId) = 0;

    // DeletePrinterDriverA(NULL, environment, name): the registration only;
    // the files stay where they are.
    virtual CallResult DeletePrinterDriver(const std::string& environment, const std::string& name) = 0;

    // OpenPrinterA(name, &handle, defaults asking SERVER_ACCESS_ADMINISTER) for
    // a port monitor's or a port's transceive handle: ",XcvMonitor NAME" or
    // ",XcvPort NAME". Fails (1796 on Wine) when there is no such monitor.
    virtual OpenPrinterResult OpenXcv(const std::string& xcvName) = 0;

    // XcvDataW(handle, dataName, input, ..., output of `outputSize` bytes,
    // &needed, &status). The call succeeds when the monitor got the request;
    // its `status` says whether the monitor did what was asked.
    virtual XcvAnswer XcvData(PrinterHandle handle, const std::string& dataName,
                              const std::vector<std::uint8_t>& input, std::uint32_t outputSize) = 0;
};

}  // namespace tq::platform
