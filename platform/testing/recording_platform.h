// A stand-in for the machine in tests: every call of the spooler, file system,
// registry, message box, pause and progress sink is recorded, with its
// arguments as texts, in one list in the order made. Any call can be told to
// fail with an error code, and the driver directory call to write nothing.
// The printers, drivers and registry values it holds answer the enumerations
// and queries, and the calls that add, move or delete them change them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/progress_sink.h"
#include "platform/install_platform.h"

namespace tq::platform::testing {

// A document sent to a printer (StartDocPrinterA to EndDocPrinter).
struct SpooledJob {
    std::uint32_t id = 0;
    std::string printer;
    std::string documentName;
    std::string dataType;
    std::string bytes;      // what WritePrinter received, in order
    std::uint32_t status = 0x8;  // JOB_STATUS_SPOOLING until EndDocPrinter
    bool ended = false;     // EndDocPrinter was called
    bool inQueue = true;    // GetJobA finds it
};

struct RecordedCall {
    std::string name;               // the Win32 name: "CopyFileA", "RegSetValueExA", ... "SetPosition"
    std::vector<std::string> args;  // the arguments as texts; handles as "null", "printer#1", "key#1"
};

class RecordingPlatform : public Spooler,
                          public FileSystem,
                          public Registry,
                          public UserMessages,
                          public Sleeper,
                          public ProgressSink {
public:
    // What GetPrinterDriverDirectoryA writes into the buffer.
    std::string driverDirectory = "C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86";
    // When set, GetPrinterDriverDirectoryA writes nothing (whatever it returns).
    bool writeNoDirectory = false;
    // What EnumPortsA and EnumMonitorsA return.
    std::vector<PortInfo> ports;
    std::vector<std::string> monitors;
    // Run after a successful AddPortA, e.g. to add a port to `ports`.
    std::function<void(const std::string& monitor)> onAddPort;
    // What EnumPrintersA lists; AddPrinterA adds a printer here (or fails with
    // ERROR_PRINTER_ALREADY_EXISTS for a name that is here), OpenPrinterA finds
    // one by name (any case), SetPrinterA changes its port, DeletePrinter takes
    // it away.
    std::vector<InstalledPrinter> printers;
    // What EnumPrinterDriversA lists (those of the asked environment);
    // AddPrinterDriverA adds or replaces one (its files under driverDirectory\3),
    // DeletePrinterDriverA takes one away.
    std::vector<InstalledDriver> drivers;
    // String values by "ROOT\key path\value name" (RegistryRootName roots):
    // RegQueryValueExA reads, RegSetValueExA writes, RegDeleteValueA removes.
    std::map<std::string, std::string> values;
    // What a Standard TCP/IP port's monitor holds for each port it made: the
    // PORT_DATA_1 bytes by port name. XcvDataW "AddPort" on an open
    // ",XcvMonitor NAME" (NAME in `monitors`) stores its input here and adds
    // the port to `ports`; "GetConfigInfo" on ",XcvPort NAME" answers with it.
    std::map<std::string, std::vector<std::uint8_t>> portData;

    // Every document sent, in order. After EndDocPrinter a job leaves the queue
    // at once, unless `holdJobs`: it then stays with `heldJobStatus`.
    std::vector<SpooledJob> jobs;
    bool holdJobs = false;
    std::uint32_t heldJobStatus = 0;
    // Run before GetJobA answers, with the job asked for (nullptr when there is
    // no such job) and how many GetJobA calls came before: lets a test move a
    // job or a printer on while the caller waits.
    std::function<void(SpooledJob* job, int earlierPolls)> onGetJob;

    // File contents by path: CopyFileA copies an entry (when its source has
    // one) and DeleteFileA removes it; the byte comparison reads them.
    std::map<std::string, std::string> fileBytes;

    // Makes every later call named `name` fail with `error`, or only those for
    // which `when` returns true (it sees the call as recorded).
    void Fail(const std::string& name, ErrorCode error, std::function<bool(const RecordedCall&)> when = {});

    const std::vector<RecordedCall>& calls() const { return calls_; }
    // The names of the calls, in order.
    std::vector<std::string> CallNames() const;
    // The calls named `name`, in order.
    std::vector<RecordedCall> CallsNamed(const std::string& name) const;
    // The positions SetPosition received, in order.
    std::vector<int> Positions() const;

    // The bundle the installation run takes.
    InstallPlatform Platform() { return {*this, *this, *this, *this, *this}; }

    // Spooler
    CallResult GetPrinterDriverDirectory(const std::string& environment, char* buffer, std::uint32_t bufferSize,
                                         std::uint32_t* needed) override;
    CallResult AddPrinterDriver(const DriverRecord& driver) override;
    AddPrinterResult AddPrinter(const PrinterRecord& printer) override;
    CallResult ClosePrinter(PrinterHandle handle) override;
    PortList EnumPorts() override;
    MonitorList EnumMonitors() override;
    CallResult AddPort(OwnerWindow owner, const std::string& monitor) override;
    CallResult ConfigurePort(OwnerWindow owner, const std::string& port) override;
    DriverList EnumPrinterDrivers(const std::string& environment) override;
    PrinterList EnumPrinters() override;
    OpenPrinterResult OpenPrinter(const std::string& name) override;
    PrinterDetails GetPrinter(PrinterHandle handle) override;
    CallResult SetPrinterPort(PrinterHandle handle, const std::string& port) override;
    CallResult DeletePrinter(PrinterHandle handle) override;
    CallResult DeletePrinterDriver(const std::string& environment, const std::string& name) override;
    OpenPrinterResult OpenPrinterToPrint(const std::string& name) override;
    DocumentStart StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                  const std::string& dataType) override;
    CallResult WritePrinter(PrinterHandle handle, const std::string& bytes, std::uint32_t* written) override;
    CallResult EndDocPrinter(PrinterHandle handle) override;
    JobDetails GetJob(PrinterHandle handle, std::uint32_t jobId) override;
    OpenPrinterResult OpenXcv(const std::string& xcvName) override;
    XcvAnswer XcvData(PrinterHandle handle, const std::string& dataName, const std::vector<std::uint8_t>& input,
                      std::uint32_t outputSize) override;
    // FileSystem
    CallResult Copy(const std::string& source, const std::string& destination, bool failIfExists) override;
    CallResult Delete(const std::string& path) override;
    bool SameBytes(const std::string& first, const std::string& second) override;
    // Registry
    OpenKeyResult OpenKeyForWriting(RegistryRoot root, const std::string& keyPath) override;
    ErrorCode SetStringValue(RegistryKey key, const std::string& valueName, const std::string& data) override;
    ErrorCode CloseKey(RegistryKey key) override;
    OpenKeyResult OpenKeyForReading(RegistryRoot root, const std::string& keyPath) override;
    StringValueResult QueryStringValue(RegistryKey key, const std::string& valueName) override;
    ErrorCode DeleteValue(RegistryKey key, const std::string& valueName) override;
    // UserMessages
    void ShowOk(const std::string& textCp936) override;
    // Sleeper
    void Sleep(unsigned milliseconds) override;
    // ProgressSink
    void SetPosition(int position) override;

private:
    struct Failure {
        std::string name;
        ErrorCode error;
        std::function<bool(const RecordedCall&)> when;
    };

    // Records the call and returns the error it is told to fail with, or 0.
    ErrorCode Record(std::string name, std::vector<std::string> args);
    static std::string HandleText(const void* handle, const char* kind);
    void* NewHandle() { return reinterpret_cast<void*>(nextHandle_++); }
    // The printer an OpenPrinterA handle stands for; nullptr when it is gone.
    InstalledPrinter* PrinterOf(PrinterHandle handle);
    OpenPrinterResult Open(const std::string& name, const char* access);
    // The document open on `handle` (begun and not ended), or nullptr.
    SpooledJob* DocumentOf(PrinterHandle handle);
    std::string ValueName(RegistryKey key, const std::string& valueName) const;

    std::vector<RecordedCall> calls_;
    std::vector<Failure> failures_;
    std::uintptr_t nextHandle_ = 1;
    std::map<const void*, std::string> openPrinters_;  // handle -> printer name
    std::map<const void*, std::string> openKeys_;      // handle -> "ROOT\key path"
    std::map<const void*, std::uint32_t> openDocuments_;  // printer handle -> job id
    std::uint32_t nextJobId_ = 1;
    int getJobCalls_ = 0;
    std::map<const void*, std::string> openXcv_;       // handle -> ",XcvMonitor NAME" / ",XcvPort NAME"
};

}  // namespace tq::platform::testing
