#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "install/install_run.h"
#include "install/step_words.h"
#include "platform/testing/recording_platform.h"

namespace tq {
namespace {

using platform::testing::RecordedCall;
using platform::testing::RecordingPlatform;

InstallChoices Opening() {
    InstallChoices c;
    c.model = *ModelCatalog::Row(1);
    c.portName = "LPT1:";
    return c;
}

// The calls in order, positions as numbers: "GetPrinterDriverDirectoryA CopyFileA 10 ...".
std::string Trace(const RecordingPlatform& rec) {
    std::string out;
    for (const auto& call : rec.calls()) {
        if (!out.empty()) out += " ";
        out += call.name == "SetPosition" ? call.args.at(0) : call.name;
    }
    return out;
}

// The report in one line, runs of equal steps folded: "copyFile:failed(2)*10".
std::string Summary(const InstallReport& report) {
    std::vector<std::string> items;
    for (const auto& step : report.steps) {
        std::string item = std::string(StepKindName(step.kind)) + ":" + StepOutcomeName(step.outcome);
        if (step.error) item += "(" + std::to_string(step.error) + ")";
        items.push_back(item);
    }
    std::string out;
    for (std::size_t i = 0; i < items.size();) {
        std::size_t n = 1;
        while (i + n < items.size() && items[i + n] == items[i]) ++n;
        if (!out.empty()) out += " ";
        out += items[i] + (n > 1 ? "*" + std::to_string(n) : "");
        i += n;
    }
    return out;
}

const std::string kCopies =
    "GetPrinterDriverDirectoryA CopyFileA 10 CopyFileA 20 CopyFileA 30 CopyFileA CopyFileA 40 "
    "CopyFileA CopyFileA 50 CopyFileA CopyFileA CopyFileA 60";
const std::string kNoCopies = "GetPrinterDriverDirectoryA 10 20 30 40 50 60";
const std::string kRegistry = "RegOpenKeyExA RegSetValueExA RegCloseKey";
const std::string kClose = "ClosePrinter Sleep 100";
const std::string kDriverAndPrinter = "AddPrinterDriverA 70 AddPrinterA 80";

TEST(InstallPrinterDriver, AllSucceedingMakesTheCallsWithTheirArguments) {
    RecordingPlatform rec;
    const InstallReport report = InstallPrinterDriver(Opening(), rec, rec.Platform());

    EXPECT_EQ(Trace(rec), kCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose);
    EXPECT_EQ(rec.Positions(), std::vector<int>(kProgressPositions.begin(), kProgressPositions.end()));

    const auto& calls = rec.calls();
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{"Windows NT x86", "255"}));
    const auto copies = rec.CallsNamed("CopyFileA");
    const InstallPlan plan = MakePlan(Opening(), rec.driverDirectory);
    ASSERT_EQ(copies.size(), 10u);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        EXPECT_EQ(copies[i].args, (std::vector<std::string>{plan.copies[i].source, plan.copies[i].destination, "FALSE"}));
    }
    EXPECT_EQ(rec.CallsNamed("AddPrinterDriverA")[0].args,
              (std::vector<std::string>{"2", "TQ-A10(Cut) Series", "Windows NT x86", "\\uniDRV.DLL", "\\TQA10cut.GPD",
                                        "\\uniDRVui.DLL", "\\uniDRV.HLP",
                                        "\\ttfsub.GPD|\\unires.DLL|\\stdnames.GPD|TQRND.DLL", "", "RAW"}));
    EXPECT_EQ(rec.CallsNamed("AddPrinterA")[0].args,
              (std::vector<std::string>{"TQ-A10(Cut) Series", "LPT1:", "TQ-A10(Cut) Series", "WinPrint", "RAW"}));
    EXPECT_EQ(rec.CallsNamed("RegOpenKeyExA")[0].args,
              (std::vector<std::string>{"HKEY_CURRENT_USER", "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                                        "KEY_SET_VALUE"}));
    const std::string data = "TQ-A10(Cut) Series,winspool,LPT1:";
    EXPECT_EQ(rec.CallsNamed("RegSetValueExA")[0].args,
              (std::vector<std::string>{"key#2", "Device", "REG_SZ", data, std::to_string(data.size())}));
    EXPECT_EQ(rec.CallsNamed("RegCloseKey")[0].args, std::vector<std::string>{"key#2"});
    EXPECT_EQ(rec.CallsNamed("ClosePrinter")[0].args, std::vector<std::string>{"printer#1"});
    EXPECT_EQ(rec.CallsNamed("Sleep")[0].args, std::vector<std::string>{"500"});

    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(report.environment, "Windows NT x86");
    EXPECT_EQ(report.driverDirectory, rec.driverDirectory);
    EXPECT_EQ(Summary(report),
              "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:succeeded "
              "defaultPrinter:succeeded portSettings:notNeeded closePrinter:succeeded");
}

struct RunCase {
    const char* name;
    std::function<void(InstallChoices&)> choose;
    std::function<void(RecordingPlatform&)> arrange;
    std::string trace;
    std::string summary;
    int messages;
    bool clean;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

// Each road of the run: the calls made, the positions sent, the report.
const RunCase kRunCases[] = {
    {"NoValuesMeansNoRegistryCall", [](InstallChoices& c) { c.makeDefault = false; }, {},
     kCopies + " " + kDriverAndPrinter + " 90 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:succeeded "
     "defaultPrinter:notNeeded portSettings:notNeeded closePrinter:succeeded",
     0, true},
    {"PortSettingsUnderCom2ComeBetween90And95",
     [](InstallChoices& c) {
         c.makeDefault = false;
         c.serialPortIndex = 4;
     },
     {}, kCopies + " " + kDriverAndPrinter + " 90 " + kRegistry + " 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:succeeded "
     "defaultPrinter:notNeeded portSettings:succeeded closePrinter:succeeded",
     0, true},
    {"EveryCopyFailingChangesNothingThatFollows", {},
     [](RecordingPlatform& r) { r.Fail("CopyFileA", platform::kErrorFileNotFound); },
     kCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:succeeded copyFile:failed(2)*10 registerDriver:succeeded createPrinter:succeeded "
     "defaultPrinter:succeeded portSettings:notNeeded closePrinter:succeeded",
     0, false},
    {"OneMissingSourceFailsThatCopyAlone", {},
     [](RecordingPlatform& r) {
         r.Fail("CopyFileA", platform::kErrorFileNotFound,
                [](const RecordedCall& c) { return c.args[0] == "Printer Driver\\x86\\TQA10cut.GPD"; });
     },
     kCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded copyFile:failed(2) copyFile:succeeded*8 registerDriver:succeeded "
     "createPrinter:succeeded defaultPrinter:succeeded portSettings:notNeeded closePrinter:succeeded",
     0, false},
    {"KeyNotOpenedSkipsTheValueInSilence", [](InstallChoices& c) { c.serialPortIndex = 3; },
     [](RecordingPlatform& r) { r.Fail("RegOpenKeyExA", platform::kErrorFileNotFound); },
     kCopies + " " + kDriverAndPrinter + " RegOpenKeyExA 90 RegOpenKeyExA 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:succeeded "
     "defaultPrinter:keyNotOpened(2) portSettings:keyNotOpened(2) closePrinter:succeeded",
     0, false},
    {"ValueNotWrittenShowsTheMessageAndClosesTheKey", [](InstallChoices& c) { c.serialPortIndex = 6; },
     [](RecordingPlatform& r) { r.Fail("RegSetValueExA", platform::kErrorAccessDenied); },
     kCopies + " " + kDriverAndPrinter + " RegOpenKeyExA RegSetValueExA MessageBox RegCloseKey 90 " +
         "RegOpenKeyExA RegSetValueExA MessageBox RegCloseKey 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:succeeded "
     "defaultPrinter:notWritten(5) portSettings:notWritten(5) closePrinter:succeeded",
     2, false},
    {"NullPrinterHandleIsStillClosed", {},
     [](RecordingPlatform& r) { r.Fail("AddPrinterA", platform::kErrorInvalidParameter); },
     kCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:failed(87) "
     "defaultPrinter:succeeded portSettings:notNeeded closePrinter:notNeeded",
     0, false},
    {"ExistingPrinterIsNoFailure", {},
     [](RecordingPlatform& r) { r.Fail("AddPrinterA", platform::kErrorPrinterAlreadyExists); },
     kCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:succeeded createPrinter:alreadyThere(1802) "
     "defaultPrinter:succeeded portSettings:notNeeded closePrinter:notNeeded",
     0, true},
    {"DriverRegistrationFailing", {},
     [](RecordingPlatform& r) { r.Fail("AddPrinterDriverA", platform::kErrorAccessDenied); },
     kCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:succeeded copyFile:succeeded*10 registerDriver:failed(5) createPrinter:succeeded "
     "defaultPrinter:succeeded portSettings:notNeeded closePrinter:succeeded",
     0, false},
    {"EmptyDriverDirectoryCopiesNothingToTheDriveRoot", {},
     [](RecordingPlatform& r) {
         r.writeNoDirectory = true;
         r.Fail("GetPrinterDriverDirectoryA", platform::kErrorInsufficientBuffer);
     },
     kNoCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:failed(122) copyFile:noDriverDirectory*10 registerDriver:succeeded createPrinter:succeeded "
     "defaultPrinter:succeeded portSettings:notNeeded closePrinter:succeeded",
     0, false},
    {"DirectoryCallSucceedingWithoutTextIsNoDirectory", {}, [](RecordingPlatform& r) { r.writeNoDirectory = true; },
     kNoCopies + " " + kDriverAndPrinter + " " + kRegistry + " 90 95 " + kClose,
     "driverDirectory:noDriverDirectory copyFile:noDriverDirectory*10 registerDriver:succeeded "
     "createPrinter:succeeded defaultPrinter:succeeded portSettings:notNeeded closePrinter:succeeded",
     0, false},
};

class InstallRoads : public ::testing::TestWithParam<RunCase> {};

TEST_P(InstallRoads, CallsPositionsAndReport) {
    const RunCase& c = GetParam();
    InstallChoices choices = Opening();
    if (c.choose) c.choose(choices);
    RecordingPlatform rec;
    if (c.arrange) c.arrange(rec);
    const InstallReport report = InstallPrinterDriver(choices, rec, rec.Platform());

    EXPECT_EQ(Trace(rec), c.trace);
    EXPECT_EQ(rec.Positions(), std::vector<int>(kProgressPositions.begin(), kProgressPositions.end()));
    EXPECT_EQ(Summary(report), c.summary);
    EXPECT_EQ(report.Clean(), c.clean);
    const auto boxes = rec.CallsNamed("MessageBox");
    ASSERT_EQ(boxes.size(), static_cast<std::size_t>(c.messages));
    for (const auto& box : boxes) {
        EXPECT_EQ(box.args, (std::vector<std::string>{kRegistryFailureMessage, "MB_OK"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Run, InstallRoads, ::testing::ValuesIn(kRunCases),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(InstallPrinterDriver, FailedWritesShowTheMessageDefaultPrinterFirst) {
    InstallChoices choices = Opening();
    choices.serialPortIndex = 4;
    RecordingPlatform rec;
    rec.Fail("RegSetValueExA", platform::kErrorAccessDenied);
    InstallPrinterDriver(choices, rec, rec.Platform());
    const auto sets = rec.CallsNamed("RegSetValueExA");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].args[1], "Device");
    EXPECT_EQ(sets[1].args[1], "COM2:");
    EXPECT_EQ(sets[1].args[3], "19200,N,8,1,p");
    EXPECT_EQ(rec.CallsNamed("RegOpenKeyExA")[1].args[0], "HKEY_LOCAL_MACHINE");
    // Each key opened is the key closed.
    const auto closes = rec.CallsNamed("RegCloseKey");
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0].args[0], sets[0].args[0]);
    EXPECT_EQ(closes[1].args[0], sets[1].args[0]);
}

TEST(InstallPrinterDriver, EmptyDirectoryPlansDestinationsAtTheRootButReportsThemUncopied) {
    RecordingPlatform rec;
    rec.writeNoDirectory = true;
    const InstallReport report = InstallPrinterDriver(Opening(), rec, rec.Platform());
    EXPECT_EQ(report.driverDirectory, "");
    int copies = 0;
    for (const auto& step : report.steps) {
        if (step.kind != StepKind::CopyFile) continue;
        ++copies;
        EXPECT_EQ(step.target.substr(0, 1), "\\");
        EXPECT_EQ(step.target, "\\" + step.subject);
        EXPECT_EQ(step.source, "Printer Driver\\x86\\" + step.subject);
    }
    EXPECT_EQ(copies, 10);
    EXPECT_FALSE(report.Clean());
}

TEST(InstallPrinterDriver, X64AsksForTheX64Environment) {
    InstallChoices choices = Opening();
    choices.architecture = Architecture::x64;
    RecordingPlatform rec;
    const InstallReport report = InstallPrinterDriver(choices, rec, rec.Platform());
    EXPECT_EQ(rec.calls()[0].args[0], "Windows x64");
    EXPECT_EQ(rec.CallsNamed("CopyFileA")[0].args[0], "Printer Driver\\x64\\TQRND.DLL");
    EXPECT_EQ(report.environment, "Windows x64");
}

TEST(QueryDriverDirectory, KeepsWhatTheCallLeftEvenOnFailure) {
    RecordingPlatform rec;
    rec.driverDirectory = std::string(254, 'd');  // with its NUL, exactly the 255 bytes
    DriverDirectoryAnswer answer = QueryDriverDirectory(rec, Architecture::x86);
    EXPECT_TRUE(answer.call.ok);
    EXPECT_EQ(answer.directory, rec.driverDirectory);

    rec.driverDirectory = std::string(255, 'd');  // one byte too long: nothing written
    answer = QueryDriverDirectory(rec, Architecture::x86);
    EXPECT_FALSE(answer.call.ok);
    EXPECT_EQ(answer.call.error, platform::kErrorInsufficientBuffer);
    EXPECT_EQ(answer.directory, "");
}

TEST(StepWords, EveryKindHasItsOwnRowAndName) {
    std::set<std::string> names;
    for (int k = 0; k <= static_cast<int>(StepKind::RemoveFile); ++k) {
        const StepKind kind = static_cast<StepKind>(k);
        const StepWords& words = WordsOf(kind);
        EXPECT_EQ(words.kind, kind) << k;
        EXPECT_TRUE(names.insert(words.name).second) << words.name;
        EXPECT_EQ(std::string(StepKindName(kind)), words.name);
    }
}

}  // namespace
}  // namespace tq
