// The wizard's decisions as plain functions over plain values: which radio
// button shows the Windows version, which program the USB button starts, what
// the Detail Setting page shows, where a minimised page draws its icon, what
// help topic and caption the framework uses. No <windows.h> here, so they are
// tested natively.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/host_probes.h"

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

// The framework.
struct PlacedRect {
    long left, top, right, bottom;
};
// The top-left corner that centres a window of the given size in `area`.
PlacedRect CentredRect(const PlacedRect& area, long width, long height);
// The help topic of a dialog built from template `templateId`.
unsigned long HelpTopic(int templateId);
// The help file: the program's path with its extension replaced by ".HLP".
std::wstring HelpFilePath(const std::wstring& programPath);
// The program file's name without folder and extension (the message box caption).
std::wstring ProgramTitle(const std::wstring& programPath);
// A message box type with the exclamation icon added where it names no icon
// and has the buttons OK, OK/Cancel, Yes/No or Yes/No/Cancel.
unsigned MessageBoxTypeWithIcon(unsigned type);

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
