// The wizard's decisions: radio button, launcher path, Detail Setting texts and
// lists, minimised icon, help and message box details, the page flow.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "catalog/model_catalog.h"
#include "res/resource.h"
#include "ui/page_decisions.h"

namespace tq::ui {
namespace {

// The plain texts the stored labels were made from (code page 936).
const char* const kLabelPlaintexts[20] = {
#include "label_plaintexts.inc"
};

TEST(SelectOsPage, RadioButtonForEveryKind) {
    struct Case { int kind; std::optional<int> button; };
    const Case cases[] = {
        {0, std::nullopt},   {1, IDC_WIN95},   {2, IDC_WIN98},      {3, IDC_WINNT4},
        {4, IDC_WIN2000},    {5, IDC_WINXP},   {6, IDC_WIN2003},    {7, IDC_WINVISTA},
        {8, IDC_WIN7},       {9, IDC_WIN8},    {10, std::nullopt},  {-1, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RadioButtonFor(static_cast<OsKind>(c.kind)), c.button) << "kind " << c.kind;
    }
}

TEST(SelectOsPage, UsbLauncherPath) {
    struct Case { std::wstring dir; Architecture arch; std::wstring path; };
    const Case cases[] = {
        {L"C:\\Setup", Architecture::x64, L"C:\\Setup\\USB Driver\\x64\\dpinstx64.exe"},
        {L"C:\\Setup", Architecture::x86, L"C:\\Setup\\USB Driver\\x86\\dpinstx86.exe"},
        // A drive's root is reported with its separator: two in a row.
        {L"D:\\", Architecture::x86, L"D:\\\\USB Driver\\x86\\dpinstx86.exe"},
        {L"C:\\\x4E2D\x6587", Architecture::x64, L"C:\\\x4E2D\x6587\\USB Driver\\x64\\dpinstx64.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(UsbDriverLauncherPath(c.dir, c.arch), c.path);
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
    struct Case { int w, h, cx, cy, x, y; };
    const Case cases[] = {
        {36, 36, 32, 32, 2, 2},
        {33, 34, 32, 32, 1, 1},
        {160, 24, 32, 32, 64, -3},  // truncation toward zero of a negative half
        {31, 32, 32, 32, 0, 0},
    };
    for (const Case& c : cases) {
        IconPosition p = MinimisedIconPosition(c.w, c.h, c.cx, c.cy);
        EXPECT_EQ(p.x, c.x) << c.w << "x" << c.h;
        EXPECT_EQ(p.y, c.y) << c.w << "x" << c.h;
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
    struct Case { std::wstring program, help, title; };
    const Case cases[] = {
        {L"C:\\Setup\\TQSetup.exe", L"C:\\Setup\\TQSetup.HLP", L"TQSetup"},
        {L"C:\\my.dir\\TQSetup", L"C:\\my.dir\\TQSetup.HLP", L"TQSetup"},
        {L"C:\\Setup\\TQ.Setup.exe", L"C:\\Setup\\TQ.Setup.HLP", L"TQ.Setup"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HelpFilePath(c.program), c.help);
        EXPECT_EQ(ProgramTitle(c.program), c.title);
    }
}

TEST(Framework, MessageBoxIcon) {
    struct Case { unsigned type, shown; };
    const Case cases[] = {
        {0x00, 0x30},  // MB_OK gets the exclamation icon
        {0x01, 0x31},  // MB_OKCANCEL
        {0x03, 0x33},  // MB_YESNOCANCEL
        {0x04, 0x34},  // MB_YESNO
        {0x10, 0x10},  // an icon of its own stays
        {0x40, 0x40},
        {0x02, 0x02},  // MB_ABORTRETRYIGNORE is left alone
        {0x05, 0x05},  // MB_RETRYCANCEL
    };
    for (const Case& c : cases) EXPECT_EQ(MessageBoxTypeWithIcon(c.type), c.shown) << c.type;
}

TEST(Framework, CentredRect) {
    PlacedRect r = CentredRect({0, 0, 1024, 768}, 400, 300);
    EXPECT_EQ(r.left, 312);
    EXPECT_EQ(r.top, 234);
    r = CentredRect({100, 100, 300, 200}, 500, 400);  // larger than the area: caption stays reachable
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
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
