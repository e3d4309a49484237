#include <gtest/gtest.h>

#include <string>

#include "cli/exit_codes.h"
#include "cli/report_output.h"
#include "platform/testing/recording_platform.h"

namespace tq::cli {
namespace {

using platform::testing::RecordingPlatform;

InstallReport RunWith(const std::function<void(RecordingPlatform&)>& arrange, int serialPortIndex = 0) {
    InstallChoices choices;
    choices.model = *ModelCatalog::Row(5);
    choices.portName = "LPT1:";
    choices.serialPortIndex = serialPortIndex;
    RecordingPlatform rec;
    if (arrange) arrange(rec);
    return InstallPrinterDriver(choices, rec, rec.Platform());
}

std::string FakeText(platform::ErrorCode error) { return "text of " + std::to_string(error); }

TEST(InstallExitStatus, FromTheReport) {
    const struct {
        const char* name;
        std::function<void(RecordingPlatform&)> arrange;
        int status;
    } cases[] = {
        {"clean", {}, kExitDone},
        {"printer already there", [](RecordingPlatform& r) { r.Fail("AddPrinterA", platform::kErrorPrinterAlreadyExists); },
         kExitDone},
        {"a copy failed", [](RecordingPlatform& r) { r.Fail("CopyFileA", platform::kErrorFileNotFound); }, kExitFailed},
        {"value not written", [](RecordingPlatform& r) { r.Fail("RegSetValueExA", 1); }, kExitFailed},
        {"driver registration denied",
         [](RecordingPlatform& r) { r.Fail("AddPrinterDriverA", platform::kErrorAccessDenied); }, kExitNotAllowed},
        {"no driver directory", [](RecordingPlatform& r) { r.writeNoDirectory = true; }, kExitFailed},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstallExitStatus(RunWith(c.arrange)), c.status) << c.name;
    }
}

TEST(ReportOutput, TextNamesEachOutcomeAndTheSystemsReason) {
    const InstallReport report = RunWith([](RecordingPlatform& r) {
        r.Fail("CopyFileA", platform::kErrorFileNotFound,
               [](const platform::testing::RecordedCall& c) { return c.args[0] == "Printer Driver\\x86\\TQA31.GPD"; });
        r.Fail("AddPrinterA", platform::kErrorPrinterAlreadyExists);
        r.Fail("RegOpenKeyExA", platform::kErrorFileNotFound,
               [](const platform::testing::RecordedCall& c) { return c.args[0] == "HKEY_LOCAL_MACHINE"; });
    }, 4);
    const std::string text = ReportToText(report, FakeText);
    for (const char* expected : {
             "Copy Printer Driver\\x86\\TQA31.GPD to C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\TQA31.GPD: FAILED "
             "(error 2: text of 2)",
             "Copy Printer Driver\\x86\\TQPLG.dll to C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\TQPLG.dll: done",
             "Create printer \"TQ-A31 Series\" on port \"LPT1:\": already there",
             "Default printer value HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Device: "
             "written",
             "Port settings value HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports\\COM2:: NOT "
             "WRITTEN: the key could not be opened (error 2: text of 2)",
             "Close the printer handle: no printer handle to close",
             "2 of 16 steps failed.",
         }) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n--- in ---\n" << text;
    }
}

TEST(ReportOutput, JsonHasEveryStepWithOutcomeErrorMessageAndDuration) {
    const InstallReport report = RunWith([](RecordingPlatform& r) { r.Fail("AddPrinterA", platform::kErrorInvalidParameter); });
    const nlohmann::json json = ReportToJson(report, FakeText);
    EXPECT_EQ(json["succeeded"], false);
    EXPECT_EQ(json["environment"], "Windows NT x86");
    ASSERT_EQ(json["steps"].size(), 16u);
    const nlohmann::json& create = json["steps"][12];
    EXPECT_EQ(create["step"], "createPrinter");
    EXPECT_EQ(create["outcome"], "failed");
    EXPECT_EQ(create["failed"], true);
    EXPECT_EQ(create["error"], 87);
    EXPECT_EQ(create["message"], "text of 87");
    EXPECT_TRUE(create["durationMs"].is_number_integer());
    EXPECT_EQ(json["steps"][1]["source"], "Printer Driver\\x86\\TQRND.DLL");
    EXPECT_EQ(json["steps"][1]["message"], "");  // no error, no message
    EXPECT_EQ(json["steps"][15]["outcome"], "notNeeded");
}

}  // namespace
}  // namespace tq::cli
