// The wizard's decisions as plain functions over plain values: which radio
// button shows the Windows version, which program the USB button starts, what
// the Detail Setting page shows, which port row is preselected, what an
// installation's outcome tells the user, where a minimised page draws its
// icon. No <windows.h> here, so they are tested natively.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/host_probes.h"
#include "install/install_run.h"
#include "install/step_words.h"
#include "install/plan.h"

namespace tq::ui {

// The Select OS page's radio button for `kind`, or nothing for 0 and any value
// outside 1..9. Kinds 1 to 3 have buttons that are hidden on the page.
std::optional<int> RadioButtonFor(OsKind kind);

// The USB driver installer the Select OS page starts: the current directory,
// one "\" (whatever the directory ends with) and the installer for `arch`.
// The directory is taken whole, however long it is.
std::wstring UsbDriverLauncherPath(const std::wstring& currentDirectory, Architecture arch);
// The page's hidden launcher: the same directory and "USBdriver\x86\dpinst.exe".
std::wstring HiddenLauncherPath(const std::wstring& currentDirectory);

// The Detail Setting page.
// The model list's 19 texts in catalog order, descrambled (code page 936).
std::vector<std::string> ModelListTexts();
// The Printer Name box's text when the page opens.
std::string OpeningPrinterName();
// The Printer Name box's text after the model list reports selection `row`
// (CB_GETCURSEL, -1 for none); nothing for a row outside 0..18.
std::optional<std::string> PrinterNameForSelection(int row);
// Whether the five serial lists are enabled for port list selection `row`
// (items 3..6 are COM1..COM4; -1 is no selection).
bool SerialListsEnabled(int row);
// Whether "&Next >" shows "Completed!" after an installation.
bool ShowsCompletedMessage(OsKind kind);
// Whether a system command is the About item's (command id 0x0010, low four bits ignored).
bool IsAboutCommand(unsigned commandId);

struct IconPosition {
    int x;
    int y;
};
// Where a minimised page draws its icon: centred in the client area.
IconPosition MinimisedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

// The extended list-view style both port lists use: LVS_EX_TRACKSELECT
// cleared, LVS_EX_GRIDLINES and LVS_EX_FULLROWSELECT set, the other bits kept.
unsigned long PortListExtendedStyle(unsigned long current);

// The Select Port page.
// The list shows the first 256 ports of the spooler's enumeration.
constexpr int kMaxPortRows = 256;
// How many of `portCount` enumerated ports become rows.
int ListedPortCount(std::size_t portCount);
// The row to preselect among the listed ports (the first kMaxPortRows of
// `portNames`, in enumeration order): the LPT1 port, else COM1, else FILE,
// matched on the first four characters, case-sensitively; of two matches of
// the same kind the later one. Row 0 is a row like any other. Nothing when no
// listed port matches.
std::optional<int> PreferredPortRow(const std::vector<std::string>& portNames);

// The Create Port page lists the monitors that have a name, in the spooler's order.
std::vector<std::string> ListedMonitorNames(const std::vector<std::string>& monitorNames);

// LVIS_SELECTED: the state bit of a selected list-view row.
constexpr unsigned kRowSelectedState = 0x0002;
// The first row, counted from 0, whose state includes kRowSelectedState, or -1.
// `itemCount()` is asked again at every step, `itemState(i)` gives row i's state.
template <class ItemCount, class ItemState>
int FirstSelectedRow(ItemCount itemCount, ItemState itemState) {
    for (int i = 0; i < itemCount(); ++i) {
        if ((itemState(i) & kRowSelectedState) == kRowSelectedState) return i;
    }
    return -1;
}

// What "&Install" says when no port is selected; nothing is installed then.
extern const char kChoosePortFirstMessage[];

// The Detail Setting page's selections as the Install command reads them.
struct DetailSelections {
    int modelRow = -1;         // the model list's CB_GETCURSEL
    bool makeDefault = false;  // "Set Default Printer" reads BST_CHECKED
    int serialPortIndex = -1;  // the hidden port list's CB_GETCURSEL
    SerialSettings serial;     // the five serial lists' CB_GETCURSEL
};
// The installation's inputs from the selections, the architecture of the
// WOW64 test and the chosen port; nothing when the model row is not a catalog
// row (the serial indexes are checked by the plan).
std::optional<InstallChoices> InstallChoicesFor(Architecture arch, const DetailSelections& page,
                                                const std::string& port);

// The one message that tells a person what went wrong with an installation:
// each failed step in plain words with the reason, then what to do about it.
std::string InstallFailureMessage(const InstallReport& report, const ErrorTextFn& errorText);

// What the Detail Setting page shows once the Select Port page has ended with
// a result other than IDCANCEL: "Completed!" for a clean report when `kind` is
// 3..9, nothing for a clean report otherwise, and the failure message for a
// report with a failed step, whatever the kind. Without a report (no
// installation ran) a message that nothing was installed.
std::optional<std::string> ClosingMessage(OsKind kind, const InstallReport* report, const ErrorTextFn& errorText);

}  // namespace tq::ui

namespace tq::ui {

// The page flow over end codes: the Select OS page; on IDOK (1) a Detail
// Setting page; on its IDCANCEL (2) the Select OS page again; every other end
// code of either page ends the flow.
template <class ShowSelectOs, class ShowDetailSetting>
void RunPageFlow(ShowSelectOs showSelectOs, ShowDetailSetting showDetailSetting) {
    constexpr int kIdOk = 1, kIdCancel = 2;
    while (showSelectOs() == kIdOk) {
        if (showDetailSetting() != kIdCancel) break;
    }
}

}  // namespace tq::ui
