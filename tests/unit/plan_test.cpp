#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "install/plan.h"

namespace tq {
namespace {

InstallChoices Opening(int row = 1, Architecture arch = Architecture::x86) {
    InstallChoices c;
    c.architecture = arch;
    c.model = *ModelCatalog::Row(row);
    c.portName = "LPT1:";
    return c;
}

TEST(MakePlan, OpeningChoicesOnX86) {
    const InstallPlan plan = MakePlan(Opening(), "C:\\drv");
    EXPECT_EQ(plan.environment, "Windows NT x86");
    const std::vector<std::pair<std::string, int>> expected = {
        {"TQRND.DLL", 10},   {"TQA10cut.GPD", 20}, {"uniDRVui.DLL", 30}, {"uniDRV.DLL", -1}, {"UNIDRV.HLP", 40},
        {"UNIRES.DLL", -1},  {"TTFSUB.GPD", 50},   {"STDNAMES.GPD", -1}, {"TQPLG.ini", -1},  {"TQPLG.dll", 60},
    };
    ASSERT_EQ(plan.copies.size(), 10u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plan.copies[i].source, "Printer Driver\\x86\\" + expected[i].first);
        EXPECT_EQ(plan.copies[i].destination, "C:\\drv\\" + expected[i].first);
        EXPECT_EQ(plan.copies[i].progressAfter.value_or(-1), expected[i].second) << i;
    }
    const DriverRecord& d = plan.driver;
    EXPECT_EQ(d.cVersion, 2u);
    EXPECT_EQ(d.pName, "TQ-A10(Cut) Series");
    EXPECT_EQ(d.pEnvironment, "Windows NT x86");
    EXPECT_EQ(d.pDriverPath, "\\uniDRV.DLL");
    EXPECT_EQ(d.pDataFile, "\\TQA10cut.GPD");
    EXPECT_EQ(d.pConfigFile, "\\uniDRVui.DLL");
    EXPECT_EQ(d.pHelpFile, "\\uniDRV.HLP");
    EXPECT_EQ(d.pMonitorName, "");
    EXPECT_EQ(d.pDefaultDataType, "RAW");
    EXPECT_EQ(plan.printer.pPrinterName, "TQ-A10(Cut) Series");
    EXPECT_EQ(plan.printer.pDriverName, "TQ-A10(Cut) Series");
    EXPECT_EQ(plan.printer.pPortName, "LPT1:");
    EXPECT_EQ(plan.printer.pPrintProcessor, "WinPrint");
    EXPECT_EQ(plan.printer.pDatatype, "RAW");
    ASSERT_TRUE(plan.defaultPrinter);
    EXPECT_EQ(plan.defaultPrinter->root, RegistryRoot::CurrentUser);
    EXPECT_EQ(plan.defaultPrinter->keyPath, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows");
    EXPECT_EQ(plan.defaultPrinter->valueName, "Device");
    EXPECT_EQ(plan.defaultPrinter->data, "TQ-A10(Cut) Series,winspool,LPT1:");
    EXPECT_FALSE(plan.portSettings);
}

TEST(MakePlan, X64DiffersOnlyInEnvironmentAndSourceFolder) {
    const InstallPlan x86 = MakePlan(Opening(1, Architecture::x86), "D");
    const InstallPlan x64 = MakePlan(Opening(1, Architecture::x64), "D");
    EXPECT_EQ(x64.environment, "Windows x64");
    EXPECT_EQ(x64.driver.pEnvironment, "Windows x64");
    for (std::size_t i = 0; i < 10; ++i) {
        std::string source = x86.copies[i].source;
        source.replace(source.find("x86"), 3, "x64");
        EXPECT_EQ(x64.copies[i].source, source);
        EXPECT_EQ(x64.copies[i].destination, x86.copies[i].destination);
    }
    EXPECT_EQ(x64.driver.pDependentFiles, x86.driver.pDependentFiles);
    EXPECT_EQ(x64.driver.pName, x86.driver.pName);
    EXPECT_EQ(x64.defaultPrinter->data, x86.defaultPrinter->data);
}

// The block as the spooler reads it: NUL-ended texts, one more NUL, zeros to 255.
std::string Block(const InstallPlan& plan) {
    return std::string(plan.driver.pDependentFiles.data(), plan.driver.pDependentFiles.size());
}

// Named rows: a test's name says which row failed.
template <class Case>
std::string RowName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

const std::string kPlainBlock = std::string("\\ttfsub.GPD\0\\unires.DLL\0\\stdnames.GPD\0TQRND.DLL\0\0", 49);
const std::string kPluginBlock =
    std::string("\\ttfsub.GPD\0\\unires.DLL\0\\stdnames.GPD\0\\TQPLG.ini\0\\TQPLG.dll\0TQRND.DLL\0\0", 71);

struct BlockCase {
    const char* name;
    int row;
    const std::string* meaningful;
};
void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.name; }

class DependentFilesBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(DependentFilesBlock, ByteForByte) {
    const BlockCase& c = GetParam();
    const std::string block = Block(MakePlan(Opening(c.row), ""));
    ASSERT_EQ(block.size(), 255u);
    EXPECT_EQ(block.substr(0, c.meaningful->size()), *c.meaningful) << "row " << c.row;
    EXPECT_EQ(block.find_first_not_of('\0', c.meaningful->size()), std::string::npos) << "row " << c.row;
}

const BlockCase kBlockCases[] = {
    {"Row0WithoutPlugin", 0, &kPlainBlock},  {"Row4WithoutPlugin", 4, &kPlainBlock},
    {"Row9WithoutPlugin", 9, &kPlainBlock},  {"Row5ListsPlugin", 5, &kPluginBlock},
    {"Row11ListsPlugin", 11, &kPluginBlock}, {"Row18ListsPlugin", 18, &kPluginBlock},
};
INSTANTIATE_TEST_SUITE_P(MakePlan, DependentFilesBlock, ::testing::ValuesIn(kBlockCases), RowName<BlockCase>);

TEST(MakePlan, DependentFilesBlockPlacesTheRendererLast) {
    EXPECT_EQ(Block(MakePlan(Opening(0), "")).find("TQRND.DLL"), 38u);
    EXPECT_EQ(Block(MakePlan(Opening(5), "")).find("TQRND.DLL"), 60u);
    // The copy list holds the plug-in pair for every model.
    EXPECT_EQ(MakePlan(Opening(0), "").copies[8].source, "Printer Driver\\x86\\TQPLG.ini");
}

struct PortSettingsCase {
    const char* name;
    int serialPort;
    SerialSettings serial;
    const char* valueName;  // nullptr: no value planned
    const char* data;
};
void PrintTo(const PortSettingsCase& c, std::ostream* os) { *os << c.name; }

class PortSettings : public ::testing::TestWithParam<PortSettingsCase> {};

TEST_P(PortSettings, FollowTheSerialChoices) {
    const PortSettingsCase& c = GetParam();
    InstallChoices choices = Opening();
    choices.portName = "COM1:";
    choices.serialPortIndex = c.serialPort;
    choices.serial = c.serial;
    const InstallPlan plan = MakePlan(choices, "");
    if (!c.valueName) {
        EXPECT_FALSE(plan.portSettings) << c.serialPort;
        return;
    }
    ASSERT_TRUE(plan.portSettings) << c.serialPort;
    EXPECT_EQ(plan.portSettings->root, RegistryRoot::LocalMachine);
    EXPECT_EQ(plan.portSettings->keyPath, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports");
    EXPECT_EQ(plan.portSettings->valueName, c.valueName);
    EXPECT_EQ(plan.portSettings->data, c.data);
}

const SerialSettings kOpeningSerial;
const PortSettingsCase kPortSettingsCases[] = {
    {"Com1OpeningSettings", 3, kOpeningSerial, "COM1:", "19200,N,8,1,p"},
    {"Com4OpeningSettings", 6, kOpeningSerial, "COM4:", "19200,N,8,1,p"},
    {"Com2FirstItemsAndOneAndAHalfStopBits", 4, {0, 1, 0, 1, 0}, "COM2:", "300,M,5,1.5, "},
    {"Com3LastItems", 5, {8, 4, 2, 2, 1}, "COM3:", "115200,S,7,2,x"},
    {"Lpt1PlansNoValue", 0, {8, 4, 2, 2, 1}, nullptr, nullptr},
    {"Lpt2PlansNoValue", 1, kOpeningSerial, nullptr, nullptr},
    {"Lpt3PlansNoValue", 2, kOpeningSerial, nullptr, nullptr},
};
INSTANTIATE_TEST_SUITE_P(MakePlan, PortSettings, ::testing::ValuesIn(kPortSettingsCases),
                         RowName<PortSettingsCase>);

TEST(MakePlan, NoDefaultPrinterAndEmptyPortOrDirectory) {
    InstallChoices choices = Opening();
    choices.makeDefault = false;
    EXPECT_FALSE(MakePlan(choices, "").defaultPrinter);

    choices.makeDefault = true;
    choices.portName = "";
    const InstallPlan plan = MakePlan(choices, "");
    EXPECT_EQ(plan.printer.pPortName, "");
    EXPECT_EQ(plan.defaultPrinter->data, "TQ-A10(Cut) Series,winspool,");
    EXPECT_EQ(plan.copies[0].destination, "\\TQRND.DLL");
}

struct RefusalCase {
    const char* name;
    void (*spoil)(InstallChoices&);
    const char* message;
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class RefusedIndex : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedIndex, OutsideItsTableNamingTheField) {
    const RefusalCase& c = GetParam();
    InstallChoices choices = Opening();
    c.spoil(choices);
    try {
        MakePlan(choices, "");
        ADD_FAILURE() << "no error for " << c.message;
    } catch (const PlanError& e) {
        EXPECT_STREQ(e.what(), c.message);
    }
}

const RefusalCase kRefusalCases[] = {
    {"ModelRow19", [](InstallChoices& c) { c.model.index = 19; }, "model: index 19 is outside 0..18"},
    {"SerialPortAfterCom4", [](InstallChoices& c) { c.serialPortIndex = 7; }, "serialPortIndex: index 7 is outside 0..6"},
    {"SerialPortNone", [](InstallChoices& c) { c.serialPortIndex = -1; }, "serialPortIndex: index -1 is outside 0..6"},
    {"BaudAfterTheLast", [](InstallChoices& c) { c.serial.baud = 9; }, "serial.baud: index 9 is outside 0..8"},
    {"ParityAfterTheLast", [](InstallChoices& c) { c.serial.parity = 5; }, "serial.parity: index 5 is outside 0..4"},
    {"DataBitsAfterTheLast", [](InstallChoices& c) { c.serial.dataBits = 4; },
     "serial.dataBits: index 4 is outside 0..3"},
    {"StopBitsAfterTheLast", [](InstallChoices& c) { c.serial.stopBits = 3; },
     "serial.stopBits: index 3 is outside 0..2"},
    {"FlowControlNegative", [](InstallChoices& c) { c.serial.flowControl = -2; },
     "serial.flowControl: index -2 is outside 0..2"},
};
INSTANTIATE_TEST_SUITE_P(MakePlan, RefusedIndex, ::testing::ValuesIn(kRefusalCases), RowName<RefusalCase>);

// The Detail Setting template's initialisation data, read from the .rc file:
// the items of each list by control id name, in order. Each item's byte count
// must be its text's length with the ending NUL.
std::map<std::string, std::vector<std::string>> DetailSettingListItems() {
    std::ifstream rc(TQ_RC_FILE, std::ios::binary);
    EXPECT_TRUE(rc) << "cannot read " << TQ_RC_FILE;
    const std::regex item(R"(^\s*(IDC_\w+),\s*0x0143,\s*(\d+),\s*0,\s*"([^"]*)\\000",)");
    std::map<std::string, std::vector<std::string>> lists;
    bool inData = false;
    for (std::string line; std::getline(rc, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("IDD_DETAIL_SETTING RT_TQ_DLGINIT", 0) == 0) inData = true;
        if (!inData) continue;
        if (line == "END") break;
        std::smatch m;
        if (!std::regex_search(line, m, item)) continue;
        EXPECT_EQ(std::stoul(m[2].str()), m[3].str().size() + 1) << line;
        lists[m[1].str()].push_back(m[3].str());
    }
    return lists;
}

template <std::size_t N>
std::vector<std::string> Texts(const std::array<const char*, N>& table) {
    return {table.begin(), table.end()};
}

TEST(TemplateData, SerialListsOfTheRcFileMatchThePlansTables) {
    const auto lists = DetailSettingListItems();
    const std::map<std::string, std::vector<std::string>> expected = {
        {"IDC_PORT_LIST", Texts(kSerialPortItems)},        {"IDC_BAUD_LIST", Texts(kBaudTexts)},
        {"IDC_PARITY_LIST", Texts(kParityItems)},          {"IDC_DATA_BITS_LIST", Texts(kDataBitsTexts)},
        {"IDC_STOP_BITS_LIST", Texts(kStopBitsTexts)},     {"IDC_FLOW_CONTROL_LIST", Texts(kFlowControlItems)},
    };
    for (const auto& [id, items] : expected) {
        ASSERT_EQ(lists.count(id), 1u) << id << " has no items in " << TQ_RC_FILE;
        EXPECT_EQ(lists.at(id), items) << id;
    }
}

}  // namespace
}  // namespace tq
