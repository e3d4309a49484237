// Deployment: the fleet file's checks, the detection rule, set-default against
// the recording double, what a log says installs made, and UTF-16 arguments.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/fleet_file.h"
#include "cli/logged_installs.h"
#include "cli/utf8_arguments.h"
#include "install/convergence.h"
#include "install/deployment.h"
#include "platform/testing/recording_platform.h"

namespace tq {
namespace {

using cli::FleetFileError;
using cli::ParseFleetFile;
using platform::InstalledPrinter;
using platform::testing::RecordingPlatform;

const std::string kDeviceValue = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\Device";

TEST(FleetFile, ResolvesEveryEntryAsInstallWould) {
    const auto printers = ParseFleetFile(R"({"printers": [
        {"model": 5, "port": "LPT1:", "default": true, "testPrint": false},
        {"model": "TQ-A10(No Cut) Series", "port": "COM2:", "serialPort": "COM2", "baud": 9600, "parity": "even"},
        {"model": "7"},
        {"model": "TQ-K30 Series", "port": "tcp:192.168.1.50:9101", "testPrint": true}]})",
                                         "x64");
    ASSERT_EQ(printers.size(), 4u);
    EXPECT_EQ(printers[0].choices.model.index, 5);
    EXPECT_EQ(printers[0].choices.portName, "LPT1:");
    EXPECT_TRUE(printers[0].choices.makeDefault);
    EXPECT_EQ(printers[0].choices.architecture, Architecture::x64);
    EXPECT_EQ(printers[1].choices.model.index, 0);
    EXPECT_EQ(std::string(kSerialPortItems.at(printers[1].choices.serialPortIndex)), "COM2");
    EXPECT_EQ(std::string(kBaudTexts.at(printers[1].choices.serial.baud)), "9600");
    EXPECT_FALSE(printers[1].choices.makeDefault);  // only the entry that says so
    EXPECT_EQ(printers[2].choices.model.index, 7);
    EXPECT_EQ(printers[2].choices.portName, "LPT1:");
    EXPECT_FALSE(printers[2].networkPort);
    // A network printer: the port it is made on, as install names and makes it.
    EXPECT_EQ(printers[3].choices.portName, "IP_192.168.1.50_9101");
    ASSERT_TRUE(printers[3].networkPort);
    EXPECT_EQ(printers[3].networkPort->name, "IP_192.168.1.50_9101");
    EXPECT_TRUE(printers[3].testPrint);
}

TEST(FleetFile, RefusesABadFileNamingThePlace) {
    const struct {
        const char* name;
        const char* text;
        const char* place;
    } cases[] = {
        {"not JSON", R"({"printers": [)", ""},
        {"not an object", R"([{"model": 5}])", ""},
        {"unknown top-level key", R"({"printers": [{"model": 5}], "extra": 1})", "extra"},
        {"no printers", R"({})", "printers"},
        {"empty list", R"({"printers": []})", "printers"},
        {"entry not an object", R"({"printers": [5]})", "printers[0]"},
        {"unknown key", R"({"printers": [{"model": 5}, {"model": 1, "colour": "red"}]})", "printers[1].colour"},
        {"missing model", R"({"printers": [{"port": "LPT1:"}]})", "printers[0].model"},
        {"unknown model", R"({"printers": [{"model": 5}, {"model": "TQ-Z99"}]})", "printers[1].model"},
        {"row outside the table", R"({"printers": [{"model": 19}]})", "printers[0].model"},
        {"port not a text", R"({"printers": [{"model": 5, "port": 1}]})", "printers[0].port"},
        {"empty port", R"({"printers": [{"model": 5, "port": ""}]})", "printers[0].port"},
        {"bad network port", R"({"printers": [{"model": 5}, {"model": 0, "port": "tcp:kitchen:0"}]})",
         "printers[1].port"},
        {"default not a flag", R"({"printers": [{"model": 5, "default": "yes"}]})", "printers[0].default"},
        {"testPrint not a flag", R"({"printers": [{"model": 5, "testPrint": 1}]})", "printers[0].testPrint"},
        {"bad baud", R"({"printers": [{"model": 5, "baud": 1234}]})", "printers[0].baud"},
        {"bad parity", R"({"printers": [{"model": 5, "parity": "sometimes"}]})", "printers[0].parity"},
        {"bad flow", R"({"printers": [{"model": 5, "flow": "fast"}]})", "printers[0].flow"},
        {"two defaults", R"({"printers": [{"model": 5, "default": true}, {"model": 0, "default": true}]})",
         "printers[1].default"},
        {"one model twice", R"({"printers": [{"model": 5}, {"model": "TQ-A31 Series", "port": "LPT2:"}]})",
         "printers[1].model"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ParseFleetFile(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const FleetFileError& e) {
            EXPECT_EQ(e.place(), c.place);
            if (*c.place) {
                EXPECT_EQ(std::string(e.what()).rfind(std::string(c.place) + ": ", 0), 0u) << e.what();
            }
        }
    }
}

MachineStatus StatusWith(int row, std::vector<std::string> environments, std::optional<InstalledPrinter> printer) {
    MachineStatus status = SummarizeStatus({}, {}, "");
    status.models[static_cast<std::size_t>(row)].driverEnvironments = std::move(environments);
    status.models[static_cast<std::size_t>(row)].printer = std::move(printer);
    return status;
}

TEST(Detection, NeedsTheDriverInThisEnvironmentAndThePrinterOnIt) {
    const ModelEntry& a31 = *ModelCatalog::Row(5);
    const InstalledPrinter good{"TQ-A31 Series", "LPT2:", "TQ-A31 Series"};
    const struct {
        const char* name;
        MachineStatus status;
        bool detected;
    } cases[] = {
        {"installed", StatusWith(5, {"Windows NT x86"}, good), true},
        {"driver only in the other environment", StatusWith(5, {"Windows x64"}, good), false},
        {"no driver", StatusWith(5, {}, good), false},
        {"no printer", StatusWith(5, {"Windows NT x86"}, std::nullopt), false},
        {"printer on another driver", StatusWith(5, {"Windows NT x86"}, InstalledPrinter{"TQ-A31 Series", "LPT2:", "Generic"}),
         false},
        {"another model installed", StatusWith(4, {"Windows NT x86"}, good), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto line = DetectModel(c.status, a31, "Windows NT x86");
        EXPECT_EQ(line.has_value(), c.detected);
        if (line) {
            EXPECT_EQ(*line, "TQ-A31 Series: driver registered for Windows NT x86, printer \"TQ-A31 Series\" on LPT2:");
        }
    }
}

TEST(SetDefault, WritesTheDeviceValueForTheModelsPrinterOnItsPort) {
    RecordingPlatform rec;
    rec.printers = {{"TQ-A31 Series", "COM3:", "TQ-A31 Series"}};
    rec.values[kDeviceValue] = "Other,winspool,LPT1:";
    const SetDefaultResult result = SetDefaultPrinter(*ModelCatalog::Row(5), rec, rec);
    ASSERT_TRUE(result.printer && result.step);
    EXPECT_EQ(result.step->outcome, StepOutcome::Succeeded);
    EXPECT_EQ(rec.values[kDeviceValue], "TQ-A31 Series,winspool,COM3:");

    // A second time the value holds that text already: nothing is written.
    const std::size_t writes = rec.CallsNamed("RegSetValueExA").size();
    const SetDefaultResult again = SetDefaultPrinter(*ModelCatalog::Row(5), rec, rec);
    EXPECT_EQ(again.step->outcome, StepOutcome::NotNeeded);
    EXPECT_EQ(rec.CallsNamed("RegSetValueExA").size(), writes);
}

TEST(SetDefault, NoPrinterWritesNothingAndAFailedWriteIsReported) {
    RecordingPlatform rec;
    rec.printers = {{"TQ-A20(Cut) Series", "LPT1:", "TQ-A20(Cut) Series"}};
    const SetDefaultResult none = SetDefaultPrinter(*ModelCatalog::Row(5), rec, rec);
    EXPECT_FALSE(none.printer);
    EXPECT_FALSE(none.step);
    EXPECT_TRUE(rec.CallsNamed("RegSetValueExA").empty());

    rec.printers.push_back({"TQ-A31 Series", "LPT1:", "TQ-A31 Series"});
    rec.Fail("RegSetValueExA", platform::kErrorAccessDenied);
    const SetDefaultResult denied = SetDefaultPrinter(*ModelCatalog::Row(5), rec, rec);
    ASSERT_TRUE(denied.step);
    EXPECT_EQ(denied.step->outcome, StepOutcome::NotWritten);
    EXPECT_EQ(denied.step->error, platform::kErrorAccessDenied);
}

std::vector<std::string> Made(const std::string& log) {
    std::istringstream in(log);
    std::vector<std::string> out;
    for (const auto& m : cli::ModelsMadeByLog(in)) out.push_back(std::to_string(m.row) + " " + m.environment);
    return out;
}

TEST(LoggedInstalls, PrintersTheInstallsCreatedAndNoUninstallTookAway) {
    const std::string x86 = R"("environment":"Windows NT x86")";
    auto install = [&](int row, const std::string& createStep) {
        return R"({"command":"install","choices":{"row":)" + std::to_string(row) + "," + x86 +
               R"(},"steps":[{"step":"copyFile","outcome":"succeeded"},)" + createStep + "]}\n";
    };
    const std::string created = R"({"step":"createPrinter","outcome":"succeeded"})";
    const std::string wasThere = R"({"step":"createPrinter","outcome":"alreadyThere"})";
    const std::string unchanged = R"({"step":"createPrinter","outcome":"succeeded","changed":false})";
    const std::string uninstall5 = R"({"command":"uninstall","exitStatus":0,"choices":{"row":5,)" + x86 + "}}\n";
    const std::string failedUninstall0 = R"({"command":"uninstall","exitStatus":1,"choices":{"row":0,)" + x86 + "}}\n";
    const std::string apply = R"({"command":"apply","printers":[{"choices":{"row":7,)" + x86 + R"(},"steps":[)" +
                              created + R"(]},{"choices":{"row":8,)" + x86 + R"(},"steps":[)" + unchanged + "]}]}\n";

    EXPECT_EQ(Made(install(5, created) + install(0, wasThere) + install(3, unchanged)),
              std::vector<std::string>{"5 Windows NT x86"});
    EXPECT_EQ(Made(install(5, created) + "a torn line {\n" + apply), (std::vector<std::string>{"5 Windows NT x86", "7 Windows NT x86"}));
    EXPECT_EQ(Made(install(5, created) + install(0, created) + uninstall5 + failedUninstall0),
              std::vector<std::string>{"0 Windows NT x86"});
    EXPECT_EQ(Made(install(5, created) + uninstall5 + install(5, created)), std::vector<std::string>{"5 Windows NT x86"});
    EXPECT_TRUE(Made("").empty());
}

TEST(Utf8Arguments, TurnsUtf16IntoUtf8) {
    EXPECT_EQ(cli::Utf8FromUtf16(L"C:\\\u6253\u5370\u673a\\x"), "C:\\\xE6\x89\x93\xE5\x8D\xB0\xE6\x9C\xBA\\x");
    EXPECT_EQ(cli::Utf8FromUtf16(L"Gr\u00FC\u00DFe"), "Gr\xC3\xBC\xC3\x9F" "e");
    const wchar_t* argv[] = {L"tqinstall", L"--package", L"\u6253\u5370"};
    cli::Utf8Arguments args(3, argv);
    ASSERT_EQ(args.argc(), 3);
    EXPECT_STREQ(args.argv()[2], "\xE6\x89\x93\xE5\x8D\xB0");
    EXPECT_EQ(args.argv()[3], nullptr);
}

}  // namespace
}  // namespace tq

namespace tq {
namespace {

class NoSink final : public ProgressSink {
public:
    void SetPosition(int) override {}
};

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text + " ";
    return out;
}

// A machine whose package holds the files of `choices` (their bytes in the
// double), for running the same installation twice.
RecordingPlatform WithPackage(const InstallChoices& choices) {
    RecordingPlatform rec;
    rec.values[kDeviceValue] = "";
    rec.values["HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports\\COM2:"] = "";
    for (const auto& copy : MakePlan(choices, rec.driverDirectory).copies) {
        rec.fileBytes[copy.source] = "bytes of " + copy.source;
    }
    return rec;
}

InstallChoices A31OnCom2() {
    InstallChoices c;
    c.model = *ModelCatalog::Row(5);
    c.portName = "COM2:";
    c.serialPortIndex = 4;  // COM2: its line settings value is written
    return c;
}

std::string Changes(const InstallReport& report) {
    std::string out;
    for (const auto& step : report.steps) {
        if (!out.empty()) out += " ";
        out += std::string(StepKindName(step.kind)) + (step.changed ? "+" : "=");
    }
    return out;
}

TEST(InstallConverging, ASecondIdenticalRunChangesNothing) {
    const InstallChoices choices = A31OnCom2();
    RecordingPlatform rec = WithPackage(choices);
    NoSink sink;
    const InstallReport first = InstallConverging(choices, sink, rec.Platform());
    ASSERT_TRUE(first.Clean());
    EXPECT_TRUE(first.changesKnown);
    EXPECT_TRUE(first.Changed());
    EXPECT_EQ(Changes(first), "driverDirectory= " + Repeat("copyFile+", 10) +
                                  "registerDriver+ createPrinter+ defaultPrinter+ portSettings+ closePrinter= printerPort=");

    // The double's spooler, file system and registry hold what the first run made.
    const InstallReport second = InstallConverging(choices, sink, rec.Platform());
    ASSERT_TRUE(second.Clean());
    EXPECT_FALSE(second.Changed()) << Changes(second);
}

TEST(InstallConverging, OnlyWhatDiffersIsChanged) {
    const InstallChoices choices = A31OnCom2();
    const struct {
        const char* name;
        std::function<void(RecordingPlatform&)> alter;
        std::string changed;  // the steps that change on the second run
    } cases[] = {
        {"one file's bytes differ",
         [](RecordingPlatform& r) { r.fileBytes["C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\TQA31.GPD"] = "old"; },
         "copyFile registerDriver"},
        {"the driver registered with another record",
         [](RecordingPlatform& r) { r.drivers.back().dataFile = "C:\\x\\3\\OTHER.GPD"; }, "registerDriver"},
        {"the printer on another port", [](RecordingPlatform& r) { r.printers.back().port = "LPT1:"; },
         "printerPort"},
        {"the default printer elsewhere", [&](RecordingPlatform& r) { r.values[kDeviceValue] = "Other,winspool,LPT1:"; },
         "defaultPrinter"},
        {"the printer gone", [](RecordingPlatform& r) { r.printers.clear(); }, "createPrinter"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingPlatform rec = WithPackage(choices);
        NoSink sink;
        InstallConverging(choices, sink, rec.Platform());
        c.alter(rec);
        const InstallReport second = InstallConverging(choices, sink, rec.Platform());
        std::string changed;
        for (const auto& step : second.steps) {
            if (!step.changed) continue;
            if (!changed.empty()) changed += " ";
            changed += StepKindName(step.kind);
        }
        EXPECT_EQ(changed, c.changed);
    }
}

}  // namespace
}  // namespace tq
