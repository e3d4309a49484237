// tqinstall's work beyond one installation: the package check, the machine
// status, moving an existing printer, uninstalling, and the log line.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/fleet_output.h"
#include "cli/report_output.h"
#include "cli/run_log.h"
#include "install/machine_status.h"
#include "platform/names.h"
#include "install/package_check.h"
#include "install/printer_port.h"
#include "install/uninstall.h"
#include "platform/testing/recording_platform.h"

namespace tq {

using platform::BaseName;
using platform::LowerAscii;
using platform::SameName;
namespace {

using platform::InstalledDriver;
using platform::InstalledPrinter;
using platform::testing::RecordedCall;
using platform::testing::RecordingPlatform;

const char kX86[] = "Windows NT x86";
const char kDir[] = "C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86";
const std::string kDeviceValue = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Device";

// A driver as the spooler lists it after an installation of `row`: its files
// in the version folder, named as the plan registers them.
InstalledDriver Registered(int row, const std::string& environment = kX86) {
    const ModelEntry& m = *ModelCatalog::Row(row);
    const InstallPlan plan = MakePlan([&] { InstallChoices c; c.model = m; return c; }(), kDir);
    const std::string v3 = std::string(kDir) + "\\3";
    InstalledDriver d;
    d.version = 3;
    d.name = m.displayName;
    d.environment = environment;
    d.driverPath = v3 + plan.driver.pDriverPath;
    d.dataFile = v3 + plan.driver.pDataFile;
    d.configFile = v3 + plan.driver.pConfigFile;
    d.helpFile = v3 + plan.driver.pHelpFile;
    for (auto entry : DependentFileEntries(plan.driver.pDependentFiles)) {
        if (entry[0] != '\\') entry = "\\" + entry;
        d.dependentFiles.push_back(v3 + entry);
    }
    return d;
}

std::vector<std::string> Deleted(const RecordingPlatform& rec) {
    std::vector<std::string> paths;
    for (const auto& call : rec.CallsNamed("DeleteFileA")) paths.push_back(BaseName(call.args[0]));
    return paths;
}

std::string Outcomes(const InstallReport& report, StepKind kind) {
    std::string out;
    for (const auto& s : report.steps) {
        if (s.kind == kind) out += std::string(out.empty() ? "" : " ") + StepOutcomeName(s.outcome);
    }
    return out;
}

TEST(CheckPackage, ExpectsEveryCopiedFileOfEveryModelAndTheUsbInstallers) {
    const auto expected = ExpectedPackageFiles();
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(expected[0].folder, "Printer Driver\\x86\\");
    EXPECT_EQ(expected[1].folder, "Printer Driver\\x64\\");
    EXPECT_EQ(expected[2].folder + expected[2].expected.at(0), "USB Driver\\x86\\dpinstx86.exe");
    EXPECT_EQ(expected[3].folder + expected[3].expected.at(0), "USB Driver\\x64\\dpinstx64.exe");
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        for (const auto& name : CopiedFileNames(*ModelCatalog::Row(row))) {
            EXPECT_EQ(std::count(expected[0].expected.begin(), expected[0].expected.end(), name), 1) << name;
        }
    }
    EXPECT_EQ(expected[0].expected.size(), 19u + 9u);  // the GPD files, the renderer and the eight shared files
    EXPECT_EQ(expected[0].expected, expected[1].expected);
}

TEST(CheckPackage, ListsWhatIsMissingPerFolder) {
    const std::set<std::string> absent = {"Printer Driver\\x64\\R5XP.GPD", "Printer Driver\\x64\\TQPLG.dll",
                                          "USB Driver\\x86\\dpinstx86.exe"};
    const auto check = CheckPackage([&](const std::string& path) { return absent.count(path) == 0; });
    EXPECT_FALSE(PackageComplete(check));
    EXPECT_TRUE(check[0].missing.empty());
    EXPECT_EQ(check[1].missing, (std::vector<std::string>{"TQPLG.dll", "R5XP.GPD"}));
    EXPECT_EQ(check[2].missing, (std::vector<std::string>{"dpinstx86.exe"}));
    EXPECT_TRUE(check[3].missing.empty());
    EXPECT_TRUE(PackageComplete(CheckPackage([](const std::string&) { return true; })));
}

TEST(MachineStatus, DriversPrintersPortsAndTheDefault) {
    RecordingPlatform rec;
    rec.drivers = {Registered(5), Registered(5, "Windows x64"), Registered(1, "Windows x64")};
    rec.printers = {{"TQ-A31 Series", "COM2:", "TQ-A31 Series"}, {"Till 2", "LPT2:", "TQ-A31 Series"},
                    {"Office", "FILE:", "Generic"}};
    rec.values[kDeviceValue] = "tq-a31 series,winspool,COM2:";
    const MachineStatus status = ReadMachineStatus(rec, rec);
    ASSERT_EQ(status.models.size(), 19u);
    const ModelStatus& a31 = status.models[5];
    EXPECT_EQ(a31.driverEnvironments, (std::vector<std::string>{"Windows NT x86", "Windows x64"}));
    ASSERT_TRUE(a31.printer);
    EXPECT_EQ(a31.printer->port, "COM2:");
    EXPECT_EQ(a31.otherPrinters, (std::vector<std::string>{"Till 2"}));
    EXPECT_TRUE(a31.isDefault);
    EXPECT_EQ(status.models[1].driverEnvironments, (std::vector<std::string>{"Windows x64"}));
    EXPECT_FALSE(status.models[1].printer);
    EXPECT_FALSE(status.models[1].isDefault);
    EXPECT_TRUE(status.failures.empty());
    EXPECT_EQ(cli::StatusExitStatus(status), cli::kExitDone);
}

TEST(MachineStatus, QueriesThatFail) {
    const struct {
        const char* name;
        std::function<void(RecordingPlatform&)> arrange;
        std::size_t failures;
        int exit;
    } cases[] = {
        {"no Device value", [](RecordingPlatform&) {}, 0, cli::kExitDone},
        {"no Windows key", [](RecordingPlatform& r) { r.Fail("RegOpenKeyExA", 2); }, 0, cli::kExitDone},
        {"a Windows without the x64 environment",
         [](RecordingPlatform& r) {
             r.Fail("EnumPrinterDriversA", 1805, [](const RecordedCall& c) { return c.args[0] == "Windows x64"; });
         },
         0, cli::kExitDone},
        {"printers refused", [](RecordingPlatform& r) { r.Fail("EnumPrintersA", 5); }, 1, cli::kExitNotAllowed},
        {"drivers not listed", [](RecordingPlatform& r) { r.Fail("EnumPrinterDriversA", 1722); }, 2, cli::kExitFailed},
    };
    for (const auto& c : cases) {
        RecordingPlatform rec;
        c.arrange(rec);
        const MachineStatus status = ReadMachineStatus(rec, rec);
        EXPECT_EQ(status.failures.size(), c.failures) << c.name;
        EXPECT_EQ(cli::StatusExitStatus(status), c.exit) << c.name;
        EXPECT_TRUE(status.defaultPrinter.empty()) << c.name;
    }
}

TEST(BringPrinterToPort, MovesOnlyAPrinterOnAnotherPort) {
    const struct {
        const char* asked;
        StepOutcome outcome;
        std::string portAfter;
        std::size_t setCalls;
    } cases[] = {
        {"COM1:", StepOutcome::Moved, "COM1:", 1},
        {"LPT1:", StepOutcome::Succeeded, "LPT1:", 0},
        {"lpt1:", StepOutcome::Succeeded, "LPT1:", 0},  // the spooler's names ignore case
    };
    for (const auto& c : cases) {
        RecordingPlatform rec;
        rec.printers = {{"TQ-A31 Series", "LPT1:", "TQ-A31 Series"}};
        const StepReport step = BringPrinterToPort(rec, "TQ-A31 Series", c.asked);
        EXPECT_EQ(step.outcome, c.outcome) << c.asked;
        EXPECT_EQ(rec.printers[0].port, c.portAfter) << c.asked;
        EXPECT_EQ(rec.CallsNamed("SetPrinterA").size(), c.setCalls) << c.asked;
        EXPECT_EQ(rec.CallsNamed("ClosePrinter").size(), 1u) << c.asked;
        if (c.outcome == StepOutcome::Moved) {
            EXPECT_EQ(step.detail, "LPT1:");
        }
    }
}

TEST(BringPrinterToPort, FailuresAreReported) {
    RecordingPlatform rec;  // no printer of that name
    StepReport step = BringPrinterToPort(rec, "TQ-A31 Series", "COM1:");
    EXPECT_EQ(step.outcome, StepOutcome::Failed);
    EXPECT_EQ(step.error, 1801u);
    EXPECT_TRUE(rec.CallsNamed("ClosePrinter").empty());

    RecordingPlatform denied;
    denied.printers = {{"TQ-A31 Series", "LPT1:", "TQ-A31 Series"}};
    denied.Fail("SetPrinterA", platform::kErrorAccessDenied);
    step = BringPrinterToPort(denied, "TQ-A31 Series", "COM1:");
    EXPECT_EQ(step.outcome, StepOutcome::Failed);
    EXPECT_EQ(denied.printers[0].port, "LPT1:");
    EXPECT_EQ(denied.CallsNamed("ClosePrinter").size(), 1u);
}

// A machine with model 5 installed and default, and model 0 (no plug-in pair) beside it.
RecordingPlatform TwoModels() {
    RecordingPlatform rec;
    rec.driverDirectory = kDir;
    rec.drivers = {Registered(5), Registered(0), Registered(5, "Windows x64")};
    rec.printers = {{"TQ-A31 Series", "LPT1:", "TQ-A31 Series"}, {"TQ-A10(No Cut) Series", "COM1:", "TQ-A10(No Cut) Series"}};
    rec.values[kDeviceValue] = "TQ-A31 Series,winspool,LPT1:";
    return rec;
}

TEST(UninstallModel, RemovesThePrinterTheDefaultTheDriverAndTheUnsharedFiles) {
    RecordingPlatform rec = TwoModels();
    const InstallReport report = UninstallModel(*ModelCatalog::Row(5), Architecture::x86, rec, rec, rec);
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(cli::InstallExitStatus(report), cli::kExitDone);

    // The printer is deleted through a handle that is closed after.
    const auto names = rec.CallNames();
    const auto at = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
    EXPECT_LT(at("DeletePrinter"), at("ClosePrinter"));
    EXPECT_LT(at("ClosePrinter"), at("DeletePrinterDriverA"));
    EXPECT_LT(at("DeletePrinterDriverA"), at("DeleteFileA"));
    EXPECT_EQ(rec.CallsNamed("DeletePrinterDriverA").at(0).args, (std::vector<std::string>{kX86, "TQ-A31 Series"}));

    EXPECT_EQ(rec.printers.size(), 1u);
    EXPECT_EQ(rec.printers[0].name, "TQ-A10(No Cut) Series");
    EXPECT_EQ(rec.drivers.size(), 2u);  // model 0's, and model 5's for the other environment
    EXPECT_EQ(rec.values.count(kDeviceValue), 0u);

    // Model 0 lists neither the plug-in pair nor TQA31.GPD: those go, from the
    // driver directory and from the spooler's version folder. The rest is shared.
    EXPECT_EQ(Deleted(rec), (std::vector<std::string>{"TQA31.GPD", "TQA31.GPD", "TQPLG.ini", "TQPLG.ini",
                                                      "TQPLG.dll", "TQPLG.dll"}));
    for (const auto& s : report.steps) {
        if (s.kind == StepKind::RemoveFile && s.outcome == StepOutcome::Kept) {
            EXPECT_EQ(s.detail, "TQ-A10(No Cut) Series") << s.subject;
        }
    }
    EXPECT_EQ(rec.CallsNamed("DeleteFileA")[0].args[0], std::string(kDir) + "\\TQA31.GPD");
}

TEST(UninstallModel, TheLastModelTakesTheSharedFilesToo) {
    RecordingPlatform rec;
    rec.drivers = {Registered(0)};
    rec.printers = {{"TQ-A10(No Cut) Series", "LPT1:", "TQ-A10(No Cut) Series"}};
    const InstallReport report = UninstallModel(*ModelCatalog::Row(0), Architecture::x86, rec, rec, rec);
    EXPECT_TRUE(report.Clean());
    std::set<std::string> deleted;
    for (const auto& name : Deleted(rec)) deleted.insert(LowerAscii(name));
    std::set<std::string> copied;
    for (const auto& name : CopiedFileNames(*ModelCatalog::Row(0))) copied.insert(LowerAscii(name));
    EXPECT_EQ(deleted, copied);
    EXPECT_EQ(Outcomes(report, StepKind::RemoveDefaultPrinter), "notThere");
}

TEST(UninstallModel, WhatIsNotThereIsASuccessThatSaysSo) {
    RecordingPlatform rec;
    rec.Fail("DeleteFileA", platform::kErrorFileNotFound);
    const InstallReport report = UninstallModel(*ModelCatalog::Row(5), Architecture::x86, rec, rec, rec);
    EXPECT_TRUE(report.Clean());
    EXPECT_EQ(cli::InstallExitStatus(report), cli::kExitDone);
    for (const auto& s : report.steps) EXPECT_EQ(s.outcome, StepOutcome::NotThere) << StepKindName(s.kind);
    for (const char* call : {"DeletePrinter", "DeletePrinterDriverA", "RegDeleteValueA"}) {
        EXPECT_TRUE(rec.CallsNamed(call).empty()) << call;
    }
}

TEST(UninstallModel, RoadsThatKeepOrFail) {
    const struct {
        const char* name;
        std::function<void(RecordingPlatform&)> arrange;
        const char* driverOutcome;
        bool filesRemoved;
        int exit;
    } cases[] = {
        {"a printer of another name uses the driver",
         [](RecordingPlatform& r) { r.printers.push_back({"Till 2", "LPT2:", "TQ-A31 Series"}); }, "inUse", false,
         cli::kExitFailed},
        {"the spooler says the driver is in use", [](RecordingPlatform& r) { r.Fail("DeletePrinterDriverA", 3001); },
         "inUse", false, cli::kExitFailed},
        {"drivers cannot be listed", [](RecordingPlatform& r) { r.Fail("EnumPrinterDriversA", 1722); }, "failed", false,
         cli::kExitFailed},
        {"no administrator rights",
         [](RecordingPlatform& r) {
             r.Fail("DeletePrinter", platform::kErrorAccessDenied);
             r.Fail("DeletePrinterDriverA", platform::kErrorAccessDenied);
         },
         "failed", false, cli::kExitNotAllowed},
        {"a file held open after the driver went",
         [](RecordingPlatform& r) { r.Fail("DeleteFileA", platform::kErrorAccessDenied); }, "succeeded", true,
         cli::kExitFailed},
    };
    for (const auto& c : cases) {
        RecordingPlatform rec = TwoModels();
        c.arrange(rec);
        const InstallReport report = UninstallModel(*ModelCatalog::Row(5), Architecture::x86, rec, rec, rec);
        EXPECT_EQ(Outcomes(report, StepKind::DeleteDriver), c.driverOutcome) << c.name;
        EXPECT_EQ(!rec.CallsNamed("DeleteFileA").empty(), c.filesRemoved) << c.name;
        EXPECT_EQ(cli::InstallExitStatus(report), c.exit) << c.name;
    }
}

TEST(UninstallModel, ADefaultOfAnotherPrinterStays) {
    RecordingPlatform rec = TwoModels();
    rec.values[kDeviceValue] = "TQ-A10(No Cut) Series,winspool,COM1:";
    const InstallReport report = UninstallModel(*ModelCatalog::Row(5), Architecture::x86, rec, rec, rec);
    EXPECT_EQ(Outcomes(report, StepKind::RemoveDefaultPrinter), "notThere");
    EXPECT_EQ(rec.values.at(kDeviceValue), "TQ-A10(No Cut) Series,winspool,COM1:");
    EXPECT_TRUE(rec.CallsNamed("RegDeleteValueA").empty());
}

TEST(LogLine, OneParsableLineThatSaysWhatHappened) {
    RecordingPlatform rec = TwoModels();
    rec.Fail("DeleteFileA", 32, [](const RecordedCall& c) { return BaseName(c.args[0]) == "TQPLG.dll"; });
    const InstallReport report = UninstallModel(*ModelCatalog::Row(5), Architecture::x86, rec, rec, rec);
    InstallChoices choices;
    choices.model = *ModelCatalog::Row(5);
    choices.portName = "COM1:";
    const std::string text = cli::LogLineText(cli::LogLine(
        "2024-05-01T09:30:00Z", "TILL-07", "uninstall", cli::ChoicesToJson(choices), report,
        cli::InstallExitStatus(report), [](platform::ErrorCode e) { return "text of " + std::to_string(e); }));
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    ASSERT_EQ(text.back(), '\n');
    const auto line = nlohmann::json::parse(text);
    EXPECT_EQ(line["time"], "2024-05-01T09:30:00Z");
    EXPECT_EQ(line["machine"], "TILL-07");
    EXPECT_EQ(line["command"], "uninstall");
    EXPECT_EQ(line["choices"]["model"], "TQ-A31 Series");
    EXPECT_EQ(line["choices"]["port"], "COM1:");
    EXPECT_EQ(line["exitStatus"], 1);
    EXPECT_EQ(line["succeeded"], false);
    ASSERT_EQ(line["steps"].size(), report.steps.size());
    int failed = 0;
    for (const auto& s : line["steps"]) {
        if (s["outcome"] == "failed") {
            ++failed;
            EXPECT_EQ(s["subject"], "TQPLG.dll");
            EXPECT_EQ(s["message"], "text of 32");
        }
    }
    EXPECT_EQ(failed, 2);  // the installation's copy and the spooler's
}

TEST(UtcTimestamp, IsoFormInUtc) {
    EXPECT_EQ(cli::UtcTimestamp(std::chrono::system_clock::from_time_t(0)), "1970-01-01T00:00:00Z");
    EXPECT_EQ(cli::UtcTimestamp(std::chrono::system_clock::from_time_t(1714555800)), "2024-05-01T09:30:00Z");
}

}  // namespace
}  // namespace tq
