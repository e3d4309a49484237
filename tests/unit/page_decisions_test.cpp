// The wizard's decisions: radio button, launcher path, Detail Setting texts and
// lists, minimised icon, help and message box details, the page flow.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "catalog/model_catalog.h"
#include "install/install_run.h"
#include "platform/testing/recording_platform.h"
#include "res/resource.h"
#include "ui/framework/framework_rules.h"
#include "ui/page_decisions.h"

namespace tq::ui {
namespace {

// The plain texts the stored labels were made from (code page 936).
const char* const kLabelPlaintexts[20] = {
#include "label_plaintexts.inc"
};

TEST(SelectOsPage, RadioButtonForEveryKind) {
    struct Case { const char* name; int kind; std::optional<int> button; };
    const Case cases[] = {
        {"unclassified", 0, std::nullopt}, {"Windows 95", 1, IDC_WIN95},      {"Windows 98", 2, IDC_WIN98},
        {"NT 4", 3, IDC_WINNT4},           {"Windows 2000", 4, IDC_WIN2000},  {"XP", 5, IDC_WINXP},
        {"Server 2003", 6, IDC_WIN2003},   {"Vista", 7, IDC_WINVISTA},        {"Windows 7", 8, IDC_WIN7},
        {"Windows 8", 9, IDC_WIN8},        {"past the last kind", 10, std::nullopt},
        {"negative", -1, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RadioButtonFor(static_cast<OsKind>(c.kind)), c.button) << c.name << ", kind " << c.kind;
    }
}

TEST(SelectOsPage, UsbLauncherPath) {
    struct Case { const char* name; std::wstring dir; Architecture arch; std::wstring path; };
    const Case cases[] = {
        {"x64", L"C:\\Setup", Architecture::x64, L"C:\\Setup\\USB Driver\\x64\\dpinstx64.exe"},
        {"x86", L"C:\\Setup", Architecture::x86, L"C:\\Setup\\USB Driver\\x86\\dpinstx86.exe"},
        // A drive's root is reported with its separator: two in a row.
        {"a drive's root", L"D:\\", Architecture::x86, L"D:\\\\USB Driver\\x86\\dpinstx86.exe"},
        {"a Chinese folder name", L"C:\\\x4E2D\x6587", Architecture::x64,
         L"C:\\\x4E2D\x6587\\USB Driver\\x64\\dpinstx64.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(UsbDriverLauncherPath(c.dir, c.arch), c.path) << c.name;
    EXPECT_EQ(HiddenLauncherPath(L"C:\\Setup"), L"C:\\Setup\\USBdriver\\x86\\dpinst.exe");
}

TEST(SelectOsPage, LauncherPathKeepsALongDirectoryWhole) {
    std::wstring dir = L"C:";
    while (dir.size() < 600) dir += L"\\a-rather-long-folder-name";
    std::wstring path = UsbDriverLauncherPath(dir, Architecture::x86);
    EXPECT_EQ(path, dir + L"\\USB Driver\\x86\\dpinstx86.exe");
}

TEST(DetailSettingPage, ModelListAndPrinterNameTexts) {
    std::vector<std::string> texts = ModelListTexts();
    ASSERT_EQ(texts.size(), static_cast<size_t>(ModelCatalog::kCount));
    for (int row = 0; row < ModelCatalog::kCount; ++row) {
        EXPECT_EQ(texts[static_cast<size_t>(row)], kLabelPlaintexts[row]) << "row " << row;
        EXPECT_EQ(PrinterNameForSelection(row), std::optional<std::string>(kLabelPlaintexts[row]));
    }
    EXPECT_EQ(OpeningPrinterName(), kLabelPlaintexts[ModelCatalog::kCount]);
    // No selection (CB_ERR) and rows past the catalog change nothing.
    for (int row : {-1, 19, 1000, -2147483647 - 1}) EXPECT_EQ(PrinterNameForSelection(row), std::nullopt) << row;
}

TEST(DetailSettingPage, SerialListsEnabledForComPortsOnly) {
    for (int row = -1; row <= 6; ++row) EXPECT_EQ(SerialListsEnabled(row), row >= 3) << "row " << row;
}

TEST(DetailSettingPage, CompletedMessageForKindsThreeToNine) {
    for (int kind = -1; kind <= 10; ++kind) {
        EXPECT_EQ(ShowsCompletedMessage(static_cast<OsKind>(kind)), kind >= 3 && kind <= 9) << "kind " << kind;
    }
}

TEST(DetailSettingPage, AboutCommandIgnoresLowFourBits) {
    EXPECT_TRUE(IsAboutCommand(0x0010));
    EXPECT_TRUE(IsAboutCommand(0x001F));
    EXPECT_FALSE(IsAboutCommand(0x0020));
    EXPECT_FALSE(IsAboutCommand(0xF060));  // SC_CLOSE
    EXPECT_FALSE(IsAboutCommand(0xF020));  // SC_MINIMIZE
}

TEST(DetailSettingPage, MinimisedIconIsCentred) {
    struct Case { const char* name; int w, h, cx, cy, x, y; };
    const Case cases[] = {
        {"an even margin", 36, 36, 32, 32, 2, 2},
        {"an odd margin rounds up", 33, 34, 32, 32, 1, 1},
        {"a negative half truncates toward zero", 160, 24, 32, 32, 64, -3},
        {"an area narrower than the icon", 31, 32, 32, 32, 0, 0},
    };
    for (const Case& c : cases) {
        IconPosition p = MinimisedIconPosition(c.w, c.h, c.cx, c.cy);
        EXPECT_EQ(p.x, c.x) << c.name << ", " << c.w << "x" << c.h;
        EXPECT_EQ(p.y, c.y) << c.name << ", " << c.w << "x" << c.h;
    }
}

TEST(PortLists, ExtendedStyleKeepsOtherBits) {
    EXPECT_EQ(PortListExtendedStyle(0x0), 0x21ul);
    EXPECT_EQ(PortListExtendedStyle(0x08), 0x21ul);           // track select cleared
    EXPECT_EQ(PortListExtendedStyle(0x10004 | 0x08), 0x10025ul);  // others kept
}

TEST(Framework, HelpFileTitleAndTopic) {
    EXPECT_EQ(HelpTopic(IDD_SELECT_OS), 0x20081ul);
    EXPECT_EQ(HelpTopic(IDD_ABOUTBOX), 0x20064ul);
    struct Case { const char* name; std::wstring program, help, title; };
    const Case cases[] = {
        {"an exe", L"C:\\Setup\\TQSetup.exe", L"C:\\Setup\\TQSetup.HLP", L"TQSetup"},
        {"a dot in the folder only", L"C:\\my.dir\\TQSetup", L"C:\\my.dir\\TQSetup.HLP", L"TQSetup"},
        {"two dots in the name", L"C:\\Setup\\TQ.Setup.exe", L"C:\\Setup\\TQ.Setup.HLP", L"TQ.Setup"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HelpFilePath(c.program), c.help) << c.name;
        EXPECT_EQ(ProgramTitle(c.program), c.title) << c.name;
    }
}

TEST(Framework, MessageBoxIcon) {
    struct Case { const char* name; unsigned type, shown; };
    const Case cases[] = {
        {"MB_OK gets the exclamation icon", 0x00, 0x30},
        {"MB_OKCANCEL gets it", 0x01, 0x31},
        {"MB_YESNOCANCEL gets it", 0x03, 0x33},
        {"MB_YESNO gets it", 0x04, 0x34},
        {"an icon of its own stays (hand)", 0x10, 0x10},
        {"an icon of its own stays (information)", 0x40, 0x40},
        {"MB_ABORTRETRYIGNORE is left alone", 0x02, 0x02},
        {"MB_RETRYCANCEL is left alone", 0x05, 0x05},
    };
    for (const Case& c : cases) EXPECT_EQ(MessageBoxTypeWithIcon(c.type), c.shown) << c.name << ", " << c.type;
}

TEST(Framework, CentredRect) {
    PlacedRect r = CentredRect({0, 0, 1024, 768}, 400, 300);
    EXPECT_EQ(r.left, 312);
    EXPECT_EQ(r.top, 234);
    r = CentredRect({100, 100, 300, 200}, 500, 400);  // larger than the area: caption stays reachable
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
}

// ---- the Select Port page ----

std::vector<std::string> Ports(std::initializer_list<const char*> names) { return {names.begin(), names.end()}; }

TEST(SelectPortPage, PreferredRow) {
    struct Case { const char* name; std::vector<std::string> ports; std::optional<int> row; };
    std::vector<std::string> many(300, "NE00:");
    many[10] = "COM1:";
    many[280] = "LPT1:";  // beyond the 256 rows: not listed, not preferred
    std::vector<std::string> lastListed(300, "NE00:");
    lastListed[255] = "LPT1:";
    lastListed[256] = "LPT1:";
    const Case cases[] = {
        {"LPT1 in row 0 is preferred like any other row", Ports({"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "FILE:"}), 0},
        {"COM1 in row 0, no LPT1", Ports({"COM1:", "COM2:", "FILE:"}), 0},
        {"FILE in row 0, the only match", Ports({"FILE:", "COM2:"}), 0},
        {"Wine's order: LPT1 wins over COM1 and FILE", Ports({"COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"}), 5},
        {"the later of COM1: and COM10:", Ports({"LPT2:", "NUL:", "FILE:", "COM1:", "COM2:", "COM3:", "COM4:", "X:", "Y:", "COM10:"}), 9},
        {"FILE above row 0", Ports({"NE01:", "FILE:", "COM2:"}), 1},
        {"a name of exactly four characters", Ports({"XPS:", "LPT1"}), 1},
        {"lower case and short names match nothing", Ports({"lpt1:", "LPT", "COM", "file:", "Com1:"}), std::nullopt},
        {"an empty list", {}, std::nullopt},
        {"only the first 256 ports are rows", many, 10},
        {"row 255 is the last listed", lastListed, 255},
    };
    for (const Case& c : cases) EXPECT_EQ(PreferredPortRow(c.ports), c.row) << c.name;
    EXPECT_EQ(ListedPortCount(0), 0);
    EXPECT_EQ(ListedPortCount(256), 256);
    EXPECT_EQ(ListedPortCount(300), 256);
}

TEST(SelectPortPage, FirstSelectedRow) {
    constexpr unsigned kFocused = 0x0001, kSelected = 0x0002, kCut = 0x0004;
    struct Case { const char* name; std::vector<unsigned> states; int row; };
    const Case cases[] = {
        {"an empty list", {}, -1},
        {"the last row selected", {0, 0, kSelected}, 2},
        {"the first of two, the focus mark aside", {kFocused, kSelected | kFocused, kSelected}, 1},
        {"focused is not selected", {kFocused, kCut, 0}, -1},
    };
    for (const Case& c : cases) {
        const int row = FirstSelectedRow([&] { return static_cast<int>(c.states.size()); },
                                         [&](int i) { return c.states[static_cast<size_t>(i)]; });
        EXPECT_EQ(row, c.row) << c.name;
    }
}

TEST(SelectPortPage, InstallChoicesFromTheDetailSettingPage) {
    DetailSelections page;
    page.modelRow = 0;
    page.makeDefault = false;
    page.serialPortIndex = 4;
    page.serial = {8, 0, 1, 2, 1};
    std::optional<InstallChoices> choices = InstallChoicesFor(Architecture::x64, page, "COM3:");
    ASSERT_TRUE(choices);
    EXPECT_EQ(choices->architecture, Architecture::x64);
    EXPECT_EQ(choices->model.index, 0);
    EXPECT_STREQ(choices->model.displayName, ModelCatalog::Row(0)->displayName);
    EXPECT_EQ(choices->portName, "COM3:");
    EXPECT_FALSE(choices->makeDefault);
    EXPECT_EQ(choices->serialPortIndex, 4);
    EXPECT_EQ((std::vector<int>{choices->serial.baud, choices->serial.parity, choices->serial.dataBits,
                                choices->serial.stopBits, choices->serial.flowControl}),
              (std::vector<int>{8, 0, 1, 2, 1}));
    for (int row : {-1, 19}) {
        page.modelRow = row;
        EXPECT_FALSE(InstallChoicesFor(Architecture::x86, page, "LPT1:")) << row;
    }
}

// A report of the real run over the recording double, with `setUp` making calls fail.
InstallReport RunWith(const std::function<void(platform::testing::RecordingPlatform&)>& setUp,
                      int serialPortIndex = 0) {
    platform::testing::RecordingPlatform machine;
    if (setUp) setUp(machine);
    InstallChoices choices;
    choices.portName = "LPT1:";
    choices.serialPortIndex = serialPortIndex;
    return InstallPrinterDriver(choices, machine, machine.Platform());
}

std::string FakeErrorText(platform::ErrorCode error) {
    switch (error) {
    case platform::kErrorFileNotFound: return "The system cannot find the file specified.";
    case platform::kErrorAccessDenied: return "Access is denied.";
    default: return "";
    }
}

TEST(SelectPortPage, ClosingMessage) {
    using platform::testing::RecordingPlatform;
    const InstallReport clean = RunWith({});
    const InstallReport existing = RunWith([](RecordingPlatform& m) {
        m.Fail("AddPrinterA", platform::kErrorPrinterAlreadyExists);
    });
    const InstallReport missingFile = RunWith([](RecordingPlatform& m) {
        m.Fail("CopyFileA", platform::kErrorFileNotFound,
               [](const platform::testing::RecordedCall& c) { return c.args[0] == "Printer Driver\\x86\\TQA10cut.GPD"; });
    });
    ASSERT_TRUE(clean.Clean());
    ASSERT_TRUE(existing.Clean());
    ASSERT_FALSE(missingFile.Clean());

    struct Case { const char* name; int kind; const InstallReport* report; const char* starts; };
    const Case cases[] = {
        {"clean, Windows 7", 8, &clean, "Completed!"},
        {"clean, NT 4", 3, &clean, "Completed!"},
        {"clean, Windows 98: no message", 2, &clean, nullptr},
        {"clean, not classified: no message", 0, &clean, nullptr},
        {"an existing printer counts as success", 9, &existing, "Completed!"},
        {"a failure, Windows 7", 8, &missingFile, "The printer driver was not installed completely."},
        {"a failure is told whatever the kind", 0, &missingFile, "The printer driver was not installed completely."},
        {"no installation ran", 8, nullptr, "The printer driver was not installed: the installation could not be started."},
    };
    for (const Case& c : cases) {
        std::optional<std::string> message = ClosingMessage(static_cast<OsKind>(c.kind), c.report, &FakeErrorText);
        if (!c.starts) {
            EXPECT_EQ(message, std::nullopt) << c.name;
            continue;
        }
        ASSERT_TRUE(message) << c.name;
        EXPECT_EQ(message->rfind(c.starts, 0), 0u) << c.name << ": " << *message;
        EXPECT_EQ(message->find("Completed!") == std::string::npos, c.report != &clean && c.report != &existing)
            << c.name;
    }
}

TEST(SelectPortPage, FailureMessageSaysWhatFailedWhyAndWhatToDo) {
    using platform::testing::RecordedCall;
    using platform::testing::RecordingPlatform;
    struct Case {
        const char* name;
        std::function<void(RecordingPlatform&)> setUp;
        int serialPortIndex;
        std::vector<std::string> says;     // each appears in the message
        std::vector<std::string> notSays;  // none appears
    };
    const std::string folderHint = "make sure its folder \"Printer Driver\\x86\" holds every driver file";
    const std::string admin = "as an administrator";
    const std::string spooler = "Print Spooler service is running";
    const Case cases[] = {
        {"a missing driver file",
         [](RecordingPlatform& m) {
             m.Fail("CopyFileA", platform::kErrorFileNotFound,
                    [](const RecordedCall& c) { return c.args[0] == "Printer Driver\\x86\\TQA10cut.GPD"; });
         },
         0,
         {"The file \"Printer Driver\\x86\\TQA10cut.GPD\" was not copied to "
          "\"C:\\WINDOWS\\System32\\spool\\DRIVERS\\W32X86\\TQA10cut.GPD\": "
          "The system cannot find the file specified. (error 2).",
          folderHint},
         {"uniDRV.DLL", admin, spooler}},
        {"no rights to register the driver",
         [](RecordingPlatform& m) { m.Fail("AddPrinterDriverA", platform::kErrorAccessDenied); }, 0,
         {"The driver \"TQ-A10(Cut) Series\" was not registered with the print spooler for Windows NT x86: "
          "Access is denied. (error 5).",
          admin},
         {folderHint, spooler}},
        {"the printer not created, an error without words",
         [](RecordingPlatform& m) { m.Fail("AddPrinterA", platform::kErrorInvalidParameter); }, 0,
         {"The printer \"TQ-A10(Cut) Series\" was not created on the port \"LPT1:\" (error 87).", spooler},
         {admin}},
        {"the default printer key missing",
         [](RecordingPlatform& m) { m.Fail("RegOpenKeyExA", platform::kErrorFileNotFound); }, 0,
         {"The printer was not made the default printer: the registry key "
          "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows could not be opened",
          "default printer yourself"},
         {spooler, "line settings"}},
        {"the COM port's settings not written",
         [](RecordingPlatform& m) {
             m.Fail("RegSetValueExA", platform::kErrorAccessDenied,
                    [](const RecordedCall& c) { return c.args[1] == "COM2:"; });
         },
         4,
         {"The line settings of \"COM2:\" were not saved: the value \"COM2:\" could not be written under "
          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports: Access is denied. (error 5).",
          admin, "line settings yourself"},
         {"default printer"}},
        {"no driver directory: one line for the copies",
         [](RecordingPlatform& m) { m.writeNoDirectory = true; }, 0,
         {"The print spooler reported no driver directory for Windows NT x86.",
          "No driver file was copied, since there was no driver directory", spooler},
         {"was not copied to"}},
    };
    for (const Case& c : cases) {
        const InstallReport report = RunWith(c.setUp, c.serialPortIndex);
        ASSERT_FALSE(report.Clean()) << c.name;
        const std::string message = InstallFailureMessage(report, &FakeErrorText);
        EXPECT_NE(message.find("What failed:"), std::string::npos) << c.name;
        EXPECT_NE(message.find("What to do:"), std::string::npos) << c.name;
        for (const std::string& text : c.says) EXPECT_NE(message.find(text), std::string::npos) << c.name << ": " << text << "\n" << message;
        for (const std::string& text : c.notSays) EXPECT_EQ(message.find(text), std::string::npos) << c.name << ": " << text << "\n" << message;
    }
}

TEST(CreatePortPage, MonitorsWithoutANameAreLeftOut) {
    EXPECT_EQ(ListedMonitorNames({"Local Port", "", "Standard TCP/IP Port", ""}),
              (std::vector<std::string>{"Local Port", "Standard TCP/IP Port"}));
    EXPECT_TRUE(ListedMonitorNames({"", ""}).empty());
    EXPECT_TRUE(ListedMonitorNames({}).empty());
}

// The wizard's installation (InstallPrinter) when the model's printer exists already.
TEST(SelectPortPage, AnExistingPrinterEndsOnTheChosenPort) {
    using platform::testing::RecordingPlatform;
    struct Case {
        const char* name;
        const char* portBefore;  // nullptr: no printer before
        std::function<void(RecordingPlatform&)> setUp;
        StepOutcome outcome;
        const char* detail;
        const char* portAfter;
        const char* message;  // how the closing message starts
    };
    const Case cases[] = {
        {"a new printer is on the chosen port", nullptr, {}, StepOutcome::Succeeded, "", "LPT1:", "Completed!"},
        {"on another port: moved from there", "COM2:", {}, StepOutcome::Moved, "COM2:", "LPT1:", "Completed!"},
        {"on the chosen port already", "LPT1:", {}, StepOutcome::Succeeded, "", "LPT1:", "Completed!"},
        {"the move refused: no Completed!", "COM2:",
         [](RecordingPlatform& m) { m.Fail("SetPrinterA", platform::kErrorAccessDenied); }, StepOutcome::Failed,
         "COM2:", "COM2:", "The printer driver was not installed completely."},
    };
    for (const Case& c : cases) {
        RecordingPlatform machine;
        if (c.portBefore) machine.printers = {{"TQ-A10(Cut) Series", c.portBefore, "TQ-A10(Cut) Series"}};
        if (c.setUp) c.setUp(machine);
        InstallChoices choices;
        choices.portName = "LPT1:";
        const InstallReport report = InstallPrinter(choices, machine, machine.Platform());
        const StepReport& last = report.steps.back();
        EXPECT_EQ(last.kind, StepKind::PrinterPort) << c.name;
        EXPECT_EQ(last.outcome, c.outcome) << c.name;
        EXPECT_EQ(last.detail, c.detail) << c.name;
        ASSERT_EQ(machine.printers.size(), 1u) << c.name;
        EXPECT_EQ(machine.printers[0].port, c.portAfter) << c.name;
        const std::optional<std::string> message = ClosingMessage(Win7, &report, &FakeErrorText);
        ASSERT_TRUE(message) << c.name;
        EXPECT_EQ(message->rfind(c.message, 0), 0u) << c.name << ": " << *message;
    }
    // What the reports say of a move, and the wizard of a refused one.
    StepReport moved;
    moved.kind = StepKind::PrinterPort;
    moved.outcome = StepOutcome::Moved;
    moved.detail = "COM2:";
    EXPECT_EQ(OutcomeWords(moved), "moved from \"COM2:\"");
    RecordingPlatform refused;
    refused.printers = {{"TQ-A10(Cut) Series", "COM2:", "TQ-A10(Cut) Series"}};
    refused.Fail("SetPrinterA", platform::kErrorAccessDenied);
    InstallChoices choices;
    choices.portName = "LPT1:";
    const std::string text = InstallFailureMessage(InstallPrinter(choices, refused, refused.Platform()), &FakeErrorText);
    EXPECT_NE(text.find("The printer \"TQ-A10(Cut) Series\" was there already and was not moved to the port "
                        "\"LPT1:\": Access is denied. (error 5)."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("as an administrator"), std::string::npos) << text;
}

// The flow over scripted end codes: which pages were shown, in order.
std::string Flow(std::deque<int> selectOs, std::deque<int> detail) {
    std::string shown;
    RunPageFlow([&] { shown += 'S'; int c = selectOs.front(); selectOs.pop_front(); return c; },
                [&] { shown += 'D'; int c = detail.front(); detail.pop_front(); return c; });
    return shown;
}

TEST(PageFlow, EndCodesDecideTheNextPage) {
    EXPECT_EQ(Flow({2}, {}), "S");                    // Exit, Esc, close box
    EXPECT_EQ(Flow({-1}, {}), "S");                   // the page cannot be shown
    EXPECT_EQ(Flow({1}, {1}), "SD");                  // Exit on Detail Setting
    EXPECT_EQ(Flow({1}, {-1}), "SD");
    EXPECT_EQ(Flow({1, 1, 1, 1}, {2, 2, 2, 1}), "SDSDSDSD");  // back and on three times
    EXPECT_EQ(Flow({1, 2}, {2}), "SDS");              // back, then Exit
}

}  // namespace
}  // namespace tq::ui
