#include "platform/testing/recording_platform.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/names.h"

namespace tq::platform::testing {
namespace {

constexpr ErrorCode kErrorUnknownPrinterDriver = 1797;
constexpr ErrorCode kErrorUnknownPort = 1796;
constexpr ErrorCode kErrorInvalidData = 13;
constexpr ErrorCode kErrorAlreadyExists = 183;

const char kXcvMonitor[] = ",XcvMonitor ";
const char kXcvPort[] = ",XcvPort ";

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The UTF-16LE text at the start of a PORT_DATA_1 record (its port name), as
// ASCII; the double's port names are ASCII.
std::string PortNameOf(const std::vector<std::uint8_t>& record) {
    std::string name;
    for (std::size_t i = 0; i + 1 < record.size() && i < 128; i += 2) {
        const unsigned c = record[i] | (record[i + 1] << 8);
        if (c == 0) break;
        name += static_cast<char>(c);
    }
    return name;
}

}  // namespace

void RecordingPlatform::Fail(const std::string& name, ErrorCode error, std::function<bool(const RecordedCall&)> when) {
    failures_.push_back({name, error, std::move(when)});
}

std::vector<std::string> RecordingPlatform::CallNames() const {
    std::vector<std::string> names;
    for (const auto& call : calls_) names.push_back(call.name);
    return names;
}

std::vector<RecordedCall> RecordingPlatform::CallsNamed(const std::string& name) const {
    std::vector<RecordedCall> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
                 [&](const RecordedCall& call) { return call.name == name; });
    return out;
}

std::vector<int> RecordingPlatform::Positions() const {
    std::vector<int> out;
    for (const auto& call : CallsNamed("SetPosition")) out.push_back(std::stoi(call.args.at(0)));
    return out;
}

ErrorCode RecordingPlatform::Record(std::string name, std::vector<std::string> args) {
    calls_.push_back({std::move(name), std::move(args)});
    const RecordedCall& call = calls_.back();
    for (const auto& failure : failures_) {
        if (failure.name == call.name && (!failure.when || failure.when(call))) return failure.error;
    }
    return kErrorSuccess;
}

std::string RecordingPlatform::HandleText(const void* handle, const char* kind) {
    if (!handle) return "null";
    return std::string(kind) + "#" + std::to_string(reinterpret_cast<std::uintptr_t>(handle));
}

CallResult RecordingPlatform::GetPrinterDriverDirectory(const std::string& environment, char* buffer,
                                                        std::uint32_t bufferSize, std::uint32_t* needed) {
    const ErrorCode error = Record("GetPrinterDriverDirectoryA", {environment, std::to_string(bufferSize)});
    const std::uint32_t size = static_cast<std::uint32_t>(driverDirectory.size() + 1);
    if (needed) *needed = size;
    if (!writeNoDirectory && !error && size <= bufferSize) {
        std::memcpy(buffer, driverDirectory.c_str(), size);
    }
    if (error) return CallResult::Failure(error);
    if (size > bufferSize) return CallResult::Failure(kErrorInsufficientBuffer);
    return CallResult::Success();
}

CallResult RecordingPlatform::AddPrinterDriver(const DriverRecord& d) {
    std::string dependents;
    for (const auto& entry : DependentFileEntries(d.pDependentFiles)) {
        if (!dependents.empty()) dependents += "|";
        dependents += entry;
    }
    const ErrorCode error = Record("AddPrinterDriverA", {std::to_string(d.cVersion), d.pName, d.pEnvironment,
                                                         d.pDriverPath, d.pDataFile, d.pConfigFile, d.pHelpFile,
                                                         dependents, d.pMonitorName, d.pDefaultDataType});
    if (error) return CallResult::Failure(error);
    // Registered as the spooler lists it: its files under the version folder.
    const std::string v3 = driverDirectory + "\\3";
    const auto under = [&](std::string file) { return v3 + (file.rfind('\\', 0) == 0 ? "" : "\\") + file; };
    InstalledDriver installed;
    installed.version = 3;
    installed.name = d.pName;
    installed.environment = d.pEnvironment;
    installed.driverPath = under(d.pDriverPath);
    installed.dataFile = under(d.pDataFile);
    installed.configFile = under(d.pConfigFile);
    installed.helpFile = under(d.pHelpFile);
    for (const auto& entry : DependentFileEntries(d.pDependentFiles)) installed.dependentFiles.push_back(under(entry));
    installed.monitorName = d.pMonitorName;
    installed.defaultDataType = d.pDefaultDataType;
    for (auto& existing : drivers) {
        if (existing.name == d.pName && existing.environment == d.pEnvironment) {
            existing = installed;
            return CallResult::Success();
        }
    }
    drivers.push_back(installed);
    return CallResult::Success();
}

AddPrinterResult RecordingPlatform::AddPrinter(const PrinterRecord& p) {
    const ErrorCode error =
        Record("AddPrinterA", {p.pPrinterName, p.pPortName, p.pDriverName, p.pPrintProcessor, p.pDatatype});
    if (error) return {nullptr, CallResult::Failure(error)};
    // As the spooler: a printer of that name is there already, or is made.
    const bool exists = std::any_of(printers.begin(), printers.end(),
                                    [&](const InstalledPrinter& q) { return SameName(q.name, p.pPrinterName); });
    if (exists) return {nullptr, CallResult::Failure(kErrorPrinterAlreadyExists)};
    printers.push_back({p.pPrinterName, p.pPortName, p.pDriverName});
    return {NewHandle(), CallResult::Success()};
}

CallResult RecordingPlatform::ClosePrinter(PrinterHandle handle) {
    ErrorCode error = Record("ClosePrinter", {HandleText(handle, "printer")});
    openPrinters_.erase(handle);
    openDocuments_.erase(handle);
    openXcv_.erase(handle);
    if (!error && !handle) error = kErrorInvalidHandle;  // as the spooler answers a null handle
    return error ? CallResult::Failure(error) : CallResult::Success();
}

PortList RecordingPlatform::EnumPorts() {
    const ErrorCode error = Record("EnumPortsA", {"2"});
    if (error) return {{}, CallResult::Failure(error)};
    return {ports, CallResult::Success()};
}

MonitorList RecordingPlatform::EnumMonitors() {
    const ErrorCode error = Record("EnumMonitorsA", {"1"});
    if (error) return {{}, CallResult::Failure(error)};
    return {monitors, CallResult::Success()};
}

CallResult RecordingPlatform::AddPort(OwnerWindow owner, const std::string& monitor) {
    const ErrorCode error = Record("AddPortA", {HandleText(owner, "window"), monitor});
    if (error) return CallResult::Failure(error);
    if (onAddPort) onAddPort(monitor);
    return CallResult::Success();
}

CallResult RecordingPlatform::ConfigurePort(OwnerWindow owner, const std::string& port) {
    const ErrorCode error = Record("ConfigurePortA", {HandleText(owner, "window"), port});
    return error ? CallResult::Failure(error) : CallResult::Success();
}

DriverList RecordingPlatform::EnumPrinterDrivers(const std::string& environment) {
    const ErrorCode error = Record("EnumPrinterDriversA", {environment, "3"});
    if (error) return {{}, CallResult::Failure(error)};
    DriverList list;
    for (const auto& d : drivers) {
        if (d.environment == environment) list.drivers.push_back(d);
    }
    return list;
}

PrinterList RecordingPlatform::EnumPrinters() {
    const ErrorCode error = Record("EnumPrintersA", {"PRINTER_ENUM_LOCAL", "2"});
    if (error) return {{}, CallResult::Failure(error)};
    return {printers, CallResult::Success()};
}

OpenPrinterResult RecordingPlatform::OpenPrinter(const std::string& name) { return Open(name, "PRINTER_ALL_ACCESS"); }

OpenPrinterResult RecordingPlatform::OpenPrinterToPrint(const std::string& name) {
    return Open(name, "PRINTER_ACCESS_USE");
}

OpenPrinterResult RecordingPlatform::Open(const std::string& name, const char* access) {
    ErrorCode error = Record("OpenPrinterA", {name, access});
    const auto found = std::find_if(printers.begin(), printers.end(),
                                    [&](const InstalledPrinter& p) { return SameName(p.name, name); });
    if (!error && found == printers.end()) error = kErrorInvalidPrinterName;
    if (error) return {nullptr, CallResult::Failure(error)};
    void* handle = NewHandle();
    openPrinters_[handle] = found->name;
    return {handle, CallResult::Success()};
}

InstalledPrinter* RecordingPlatform::PrinterOf(PrinterHandle handle) {
    const auto open = openPrinters_.find(handle);
    if (open == openPrinters_.end()) return nullptr;
    for (auto& p : printers) {
        if (p.name == open->second) return &p;
    }
    return nullptr;
}

PrinterDetails RecordingPlatform::GetPrinter(PrinterHandle handle) {
    ErrorCode error = Record("GetPrinterA", {HandleText(handle, "printer"), "2"});
    InstalledPrinter* printer = PrinterOf(handle);
    if (!error && !printer) error = kErrorInvalidHandle;
    if (error) return {{}, CallResult::Failure(error)};
    return {*printer, CallResult::Success()};
}

CallResult RecordingPlatform::SetPrinterPort(PrinterHandle handle, const std::string& port) {
    ErrorCode error = Record("SetPrinterA", {HandleText(handle, "printer"), "2", port});
    InstalledPrinter* printer = PrinterOf(handle);
    if (!error && !printer) error = kErrorInvalidHandle;
    if (error) return CallResult::Failure(error);
    printer->port = port;
    return CallResult::Success();
}

CallResult RecordingPlatform::DeletePrinter(PrinterHandle handle) {
    ErrorCode error = Record("DeletePrinter", {HandleText(handle, "printer")});
    const InstalledPrinter* printer = PrinterOf(handle);
    if (!error && !printer) error = kErrorInvalidHandle;
    if (error) return CallResult::Failure(error);
    const std::string name = printer->name;
    printers.erase(std::remove_if(printers.begin(), printers.end(),
                                  [&](const InstalledPrinter& p) { return p.name == name; }),
                   printers.end());
    return CallResult::Success();
}

CallResult RecordingPlatform::DeletePrinterDriver(const std::string& environment, const std::string& name) {
    ErrorCode error = Record("DeletePrinterDriverA", {environment, name});
    const auto found = std::find_if(drivers.begin(), drivers.end(), [&](const InstalledDriver& d) {
        return d.environment == environment && SameName(d.name, name);
    });
    if (!error && found == drivers.end()) error = kErrorUnknownPrinterDriver;
    if (error) return CallResult::Failure(error);
    drivers.erase(found);
    return CallResult::Success();
}

OpenPrinterResult RecordingPlatform::OpenXcv(const std::string& xcvName) {
    ErrorCode error = Record("OpenPrinterA", {xcvName, "SERVER_ACCESS_ADMINISTER"});
    if (!error && StartsWith(xcvName, kXcvMonitor)) {
        const std::string monitor = xcvName.substr(std::strlen(kXcvMonitor));
        if (std::none_of(monitors.begin(), monitors.end(), [&](const std::string& m) { return SameName(m, monitor); })) {
            error = kErrorUnknownPort;
        }
    } else if (!error && StartsWith(xcvName, kXcvPort)) {
        const std::string port = xcvName.substr(std::strlen(kXcvPort));
        if (std::none_of(ports.begin(), ports.end(), [&](const PortInfo& p) { return SameName(p.name, port); })) {
            error = kErrorUnknownPort;
        }
    } else if (!error) {
        error = kErrorInvalidPrinterName;
    }
    if (error) return {nullptr, CallResult::Failure(error)};
    void* handle = NewHandle();
    openXcv_[handle] = xcvName;
    return {handle, CallResult::Success()};
}

XcvAnswer RecordingPlatform::XcvData(PrinterHandle handle, const std::string& dataName,
                                     const std::vector<std::uint8_t>& input, std::uint32_t outputSize) {
    XcvAnswer answer;
    const ErrorCode error = Record("XcvDataW", {HandleText(handle, "printer"), dataName,
                                                std::string(input.begin(), input.end()), std::to_string(outputSize)});
    const auto open = openXcv_.find(handle);
    if (error || open == openXcv_.end()) {
        answer.call = CallResult::Failure(error ? error : kErrorInvalidHandle);
        return answer;
    }
    const std::string& xcv = open->second;
    if (dataName == "AddPort" && StartsWith(xcv, kXcvMonitor)) {
        const std::string name = PortNameOf(input);
        if (std::any_of(ports.begin(), ports.end(), [&](const PortInfo& p) { return SameName(p.name, name); })) {
            answer.status = kErrorAlreadyExists;
        } else {
            ports.push_back({name, xcv.substr(std::strlen(kXcvMonitor)), ""});
            portData[name] = input;
        }
    } else if (dataName == "GetConfigInfo" && StartsWith(xcv, kXcvPort)) {
        const auto found = portData.find(xcv.substr(std::strlen(kXcvPort)));
        if (found == portData.end()) {
            answer.status = kErrorInvalidData;  // a port this monitor did not make
        } else {
            answer.output = found->second;
            if (answer.output.size() > outputSize) {
                answer.output.clear();
                answer.status = kErrorInsufficientBuffer;
            }
        }
    } else {
        answer.status = kErrorInvalidParameter;
    }
    return answer;
}

CallResult RecordingPlatform::Copy(const std::string& source, const std::string& destination, bool failIfExists) {
    const ErrorCode error = Record("CopyFileA", {source, destination, failIfExists ? "TRUE" : "FALSE"});
    if (error) return CallResult::Failure(error);
    const auto found = fileBytes.find(source);
    if (found != fileBytes.end()) fileBytes[destination] = found->second;
    return CallResult::Success();
}

CallResult RecordingPlatform::Delete(const std::string& path) {
    const ErrorCode error = Record("DeleteFileA", {path});
    if (error) return CallResult::Failure(error);
    fileBytes.erase(path);
    return CallResult::Success();
}

bool RecordingPlatform::SameBytes(const std::string& first, const std::string& second) {
    Record("CompareFiles", {first, second});
    const auto a = fileBytes.find(first);
    const auto b = fileBytes.find(second);
    return a != fileBytes.end() && b != fileBytes.end() && a->second == b->second;
}

std::string RecordingPlatform::ValueName(RegistryKey key, const std::string& valueName) const {
    const auto open = openKeys_.find(key);
    return (open == openKeys_.end() ? std::string("?") : open->second) + "\\" + valueName;
}

OpenKeyResult RecordingPlatform::OpenKeyForWriting(RegistryRoot root, const std::string& keyPath) {
    const ErrorCode error = Record("RegOpenKeyExA", {RegistryRootName(root), keyPath, "KEY_SET_VALUE"});
    if (error) return {nullptr, error};
    void* key = NewHandle();
    openKeys_[key] = std::string(RegistryRootName(root)) + "\\" + keyPath;
    return {key, kErrorSuccess};
}

ErrorCode RecordingPlatform::SetStringValue(RegistryKey key, const std::string& valueName, const std::string& data) {
    const ErrorCode error =
        Record("RegSetValueExA", {HandleText(key, "key"), valueName, "REG_SZ", data, std::to_string(data.size())});
    if (!error) values[ValueName(key, valueName)] = data;
    return error;
}

ErrorCode RecordingPlatform::CloseKey(RegistryKey key) {
    openKeys_.erase(key);
    return Record("RegCloseKey", {HandleText(key, "key")});
}

OpenKeyResult RecordingPlatform::OpenKeyForReading(RegistryRoot root, const std::string& keyPath) {
    const ErrorCode error = Record("RegOpenKeyExA", {RegistryRootName(root), keyPath, "KEY_QUERY_VALUE"});
    if (error) return {nullptr, error};
    void* key = NewHandle();
    openKeys_[key] = std::string(RegistryRootName(root)) + "\\" + keyPath;
    return {key, kErrorSuccess};
}

StringValueResult RecordingPlatform::QueryStringValue(RegistryKey key, const std::string& valueName) {
    ErrorCode error = Record("RegQueryValueExA", {HandleText(key, "key"), valueName});
    const auto found = values.find(ValueName(key, valueName));
    if (!error && found == values.end()) error = kErrorFileNotFound;
    if (error) return {{}, error};
    return {found->second, kErrorSuccess};
}

ErrorCode RecordingPlatform::DeleteValue(RegistryKey key, const std::string& valueName) {
    ErrorCode error = Record("RegDeleteValueA", {HandleText(key, "key"), valueName});
    if (!error && values.erase(ValueName(key, valueName)) == 0) error = kErrorFileNotFound;
    return error;
}

void RecordingPlatform::ShowOk(const std::string& textCp936) { Record("MessageBox", {textCp936, "MB_OK"}); }

SpooledJob* RecordingPlatform::DocumentOf(PrinterHandle handle) {
    const auto open = openDocuments_.find(handle);
    if (open == openDocuments_.end()) return nullptr;
    for (auto& job : jobs) {
        if (job.id == open->second) return &job;
    }
    return nullptr;
}

DocumentStart RecordingPlatform::StartDocPrinter(PrinterHandle handle, const std::string& documentName,
                                                 const std::string& dataType) {
    ErrorCode error = Record("StartDocPrinterA", {HandleText(handle, "printer"), "1", documentName, dataType});
    const InstalledPrinter* printer = PrinterOf(handle);
    if (!error && !printer) error = kErrorInvalidHandle;
    if (error) return {0, CallResult::Failure(error)};
    SpooledJob job;
    job.id = nextJobId_++;
    job.printer = printer->name;
    job.documentName = documentName;
    job.dataType = dataType;
    jobs.push_back(job);
    openDocuments_[handle] = job.id;
    return {job.id, CallResult::Success()};
}

CallResult RecordingPlatform::WritePrinter(PrinterHandle handle, const std::string& bytes, std::uint32_t* written) {
    ErrorCode error = Record("WritePrinter", {HandleText(handle, "printer"), std::to_string(bytes.size())});
    SpooledJob* job = DocumentOf(handle);
    if (!error && !job) error = kErrorInvalidHandle;
    if (written) *written = error ? 0 : static_cast<std::uint32_t>(bytes.size());
    if (error) return CallResult::Failure(error);
    job->bytes += bytes;
    return CallResult::Success();
}

CallResult RecordingPlatform::EndDocPrinter(PrinterHandle handle) {
    ErrorCode error = Record("EndDocPrinter", {HandleText(handle, "printer")});
    SpooledJob* job = DocumentOf(handle);
    if (!error && !job) error = kErrorInvalidHandle;
    if (error) return CallResult::Failure(error);
    job->ended = true;
    job->status = heldJobStatus;
    job->inQueue = holdJobs;
    openDocuments_.erase(handle);
    return CallResult::Success();
}

JobDetails RecordingPlatform::GetJob(PrinterHandle handle, std::uint32_t jobId) {
    ErrorCode error = Record("GetJobA", {HandleText(handle, "printer"), std::to_string(jobId), "1"});
    SpooledJob* job = nullptr;
    for (auto& j : jobs) {
        if (j.id == jobId && j.inQueue) job = &j;
    }
    if (onGetJob) onGetJob(job, getJobCalls_);
    ++getJobCalls_;
    if (!error && !PrinterOf(handle)) error = kErrorInvalidHandle;
    if (!error && (!job || !job->inQueue)) error = kErrorInvalidParameter;
    if (error) return {0, {}, CallResult::Failure(error)};
    return {job->status, {}, CallResult::Success()};
}

void RecordingPlatform::Sleep(unsigned milliseconds) { Record("Sleep", {std::to_string(milliseconds)}); }

void RecordingPlatform::SetPosition(int position) { Record("SetPosition", {std::to_string(position)}); }

}  // namespace tq::platform::testing
