// Everything one installation copies, registers and writes, as a plain value.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalog/model_catalog.h"
#include "host/host_probes.h"
#include "platform/registry.h"
#include "platform/spooler.h"

namespace tq {

// The fixed tables behind the serial settings, in list order. Items are what a
// list shows; the written texts are what the port-settings value holds.
extern const std::array<const char*, 7> kSerialPortItems;   // LPT1..LPT3, COM1..COM4
extern const std::array<const char*, 9> kBaudTexts;
extern const std::array<const char*, 5> kParityItems;       // Even, Mark, None, Odd, Space
extern const std::array<const char*, 5> kParityLetters;     // E, M, N, O, S
extern const std::array<const char*, 4> kDataBitsTexts;
extern const std::array<const char*, 3> kStopBitsTexts;
extern const std::array<const char*, 3> kFlowControlItems;  // None, XonXoff, Hardware
extern const std::array<const char*, 3> kFlowControlLetters;  // " ", "x", "p"

struct SerialSettings {
    int baud = 5;         // "19200"
    int parity = 2;       // "None"
    int dataBits = 3;     // "8"
    int stopBits = 0;     // "1"
    int flowControl = 2;  // "Hardware"
};

struct InstallChoices {
    Architecture architecture = Architecture::x86;
    ModelEntry model = *ModelCatalog::Row(1);
    std::string portName;      // as the spooler names it, such as "LPT1:"; may be empty
    bool makeDefault = true;
    int serialPortIndex = 0;   // 0 LPT1 .. 6 COM4
    SerialSettings serial;
};

struct FileCopy {
    std::string source;       // source folder + file name
    std::string destination;  // driver directory + "\" + file name
    std::optional<int> progressAfter;
};

// The records the spooler and registry interfaces take; the plan fills them.
using platform::DependentFileEntries;
using platform::DriverRecord;
using platform::kDependentFilesSize;
using platform::PrinterRecord;
using platform::RegistryRoot;
using platform::RegistryRootName;

struct RegistryWrite {
    RegistryRoot root;
    std::string keyPath;
    std::string valueName;
    std::string data;  // REG_SZ
};

struct InstallPlan {
    std::string environment;
    std::vector<FileCopy> copies;  // always ten
    DriverRecord driver;
    PrinterRecord printer;
    std::optional<RegistryWrite> defaultPrinter;
    std::optional<RegistryWrite> portSettings;
};

// The eleven progress positions of a run, in the order they are reported.
extern const std::array<int, 11> kProgressPositions;

// An index outside its table; what() names the field and the accepted range.
class PlanError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

const char* EnvironmentName(Architecture arch);   // "Windows NT x86" / "Windows x64"
const char* SourceFolder(Architecture arch);      // "Printer Driver\x86\" / "...\x64\"
// The USB driver installer of the package: "USB Driver\x86\dpinstx86.exe" /
// "USB Driver\x64\dpinstx64.exe", relative to the package folder.
const char* UsbDriverProgram(Architecture arch);

// Where the default printer is kept (under HKEY_CURRENT_USER): the value's data
// is "<printer name>,winspool,<port>".
extern const char kDefaultPrinterKey[];    // "Software\Microsoft\Windows NT\CurrentVersion\Windows"
extern const char kDefaultPrinterValue[];  // "Device"
// The printer a default-printer value names: the text before its first comma.
std::string DefaultPrinterName(const std::string& deviceData);

// The file names every plan copies for `model`, in copy order.
std::vector<std::string> CopiedFileNames(const ModelEntry& model);

// The plan for `choices` and the driver directory the spooler reported (may be
// empty). Throws PlanError for an index outside its table.
InstallPlan MakePlan(const InstallChoices& choices, const std::string& driverDirectory);

}  // namespace tq
