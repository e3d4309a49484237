#include "install/plan.h"

#include <cstring>

namespace tq {

const std::array<const char*, 7> kSerialPortItems = {"LPT1", "LPT2", "LPT3", "COM1", "COM2", "COM3", "COM4"};
const std::array<const char*, 9> kBaudTexts = {"300", "1200", "2400", "4800", "9600",
                                               "19200", "38400", "57600", "115200"};
const std::array<const char*, 5> kParityItems = {"Even", "Mark", "None", "Odd", "Space"};
const std::array<const char*, 5> kParityLetters = {"E", "M", "N", "O", "S"};
const std::array<const char*, 4> kDataBitsTexts = {"5", "6", "7", "8"};
const std::array<const char*, 3> kStopBitsTexts = {"1", "1.5", "2"};
const std::array<const char*, 3> kFlowControlItems = {"None", "XonXoff", "Hardware"};
const std::array<const char*, 3> kFlowControlLetters = {" ", "x", "p"};

const char kDefaultPrinterKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kDefaultPrinterValue[] = "Device";

const std::array<int, 11> kProgressPositions = {10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100};

namespace {

void CheckIndex(const char* field, int value, std::size_t size) {
    if (value < 0 || static_cast<std::size_t>(value) >= size) {
        throw PlanError(std::string(field) + ": index " + std::to_string(value) + " is outside 0.." +
                        std::to_string(size - 1));
    }
}

// Lays NUL-ended texts and one final empty text into the zero-filled block.
std::array<char, kDependentFilesSize> DependentFilesBlock(const std::vector<std::string>& entries) {
    std::array<char, kDependentFilesSize> block{};
    std::size_t at = 0;
    for (const auto& entry : entries) {
        std::memcpy(block.data() + at, entry.data(), entry.size());
        at += entry.size() + 1;  // the NUL is already there
    }
    return block;
}

}  // namespace

const char* EnvironmentName(Architecture arch) {
    return arch == Architecture::x64 ? "Windows x64" : "Windows NT x86";
}

const char* SourceFolder(Architecture arch) {
    return arch == Architecture::x64 ? "Printer Driver\\x64\\" : "Printer Driver\\x86\\";
}

const char* UsbDriverProgram(Architecture arch) {
    return arch == Architecture::x64 ? "USB Driver\\x64\\dpinstx64.exe" : "USB Driver\\x86\\dpinstx86.exe";
}

std::string DefaultPrinterName(const std::string& deviceData) { return deviceData.substr(0, deviceData.find(',')); }

std::vector<std::string> CopiedFileNames(const ModelEntry& model) {
    return {DllFileName(model), GpdFileName(model), "uniDRVui.DLL", "uniDRV.DLL", "UNIDRV.HLP",
            "UNIRES.DLL",       "TTFSUB.GPD",       "STDNAMES.GPD", "TQPLG.ini",  "TQPLG.dll"};
}

InstallPlan MakePlan(const InstallChoices& choices, const std::string& driverDirectory) {
    CheckIndex("model", choices.model.index, static_cast<std::size_t>(ModelCatalog::Count()));
    CheckIndex("serialPortIndex", choices.serialPortIndex, kSerialPortItems.size());
    CheckIndex("serial.baud", choices.serial.baud, kBaudTexts.size());
    CheckIndex("serial.parity", choices.serial.parity, kParityLetters.size());
    CheckIndex("serial.dataBits", choices.serial.dataBits, kDataBitsTexts.size());
    CheckIndex("serial.stopBits", choices.serial.stopBits, kStopBitsTexts.size());
    CheckIndex("serial.flowControl", choices.serial.flowControl, kFlowControlLetters.size());

    const ModelEntry& model = choices.model;
    InstallPlan plan;
    plan.environment = EnvironmentName(choices.architecture);

    static const std::optional<int> kProgressAfter[10] = {10, 20, 30, std::nullopt, 40,
                                                          std::nullopt, 50, std::nullopt, std::nullopt, 60};
    const auto names = CopiedFileNames(model);
    for (std::size_t i = 0; i < names.size(); ++i) {
        plan.copies.push_back({SourceFolder(choices.architecture) + names[i],
                               driverDirectory + "\\" + names[i], kProgressAfter[i]});
    }

    DriverRecord& d = plan.driver;
    d.cVersion = 2;
    d.pName = model.displayName;
    d.pEnvironment = plan.environment;
    d.pDriverPath = "\\uniDRV.DLL";
    d.pDataFile = "\\" + GpdFileName(model);
    d.pConfigFile = "\\uniDRVui.DLL";
    d.pHelpFile = "\\uniDRV.HLP";
    std::vector<std::string> dependents = {"\\ttfsub.GPD", "\\unires.DLL", "\\stdnames.GPD"};
    if (model.listsPlugin) {
        dependents.push_back("\\TQPLG.ini");
        dependents.push_back("\\TQPLG.dll");
    }
    dependents.push_back(DllFileName(model));  // no leading backslash, unlike the others
    d.pDependentFiles = DependentFilesBlock(dependents);
    d.pMonitorName = "";
    d.pDefaultDataType = "RAW";

    plan.printer = {model.displayName, choices.portName, model.displayName, "WinPrint", "RAW"};

    if (choices.makeDefault) {
        plan.defaultPrinter = RegistryWrite{
            RegistryRoot::CurrentUser, kDefaultPrinterKey, kDefaultPrinterValue,
            std::string(model.displayName) + ",winspool," + choices.portName};
    }
    if (choices.serialPortIndex >= 3) {
        const SerialSettings& s = choices.serial;
        plan.portSettings = RegistryWrite{
            RegistryRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports",
            std::string(kSerialPortItems[choices.serialPortIndex]) + ":",
            std::string(kBaudTexts[s.baud]) + "," + kParityLetters[s.parity] + "," + kDataBitsTexts[s.dataBits] +
                "," + kStopBitsTexts[s.stopBits] + "," + kFlowControlLetters[s.flowControl]};
    }
    return plan;
}

}  // namespace tq
