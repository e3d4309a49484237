#include "ui/page_decisions.h"

#include "catalog/descrambler.h"
#include "catalog/model_catalog.h"
#include "res/resource.h"

namespace tq::ui {

std::optional<int> RadioButtonFor(OsKind kind) {
    switch (kind) {
    case Win95: return IDC_WIN95;
    case Win98: return IDC_WIN98;
    case WinNT4: return IDC_WINNT4;
    case Win2000: return IDC_WIN2000;
    case WinXP: return IDC_WINXP;
    case Win2003: return IDC_WIN2003;
    case WinVista: return IDC_WINVISTA;
    case Win7: return IDC_WIN7;
    case Win8: return IDC_WIN8;
    default: return std::nullopt;
    }
}

std::wstring UsbDriverLauncherPath(const std::wstring& currentDirectory, Architecture arch) {
    return currentDirectory + L"\\" +
           (arch == Architecture::x64 ? L"USB Driver\\x64\\dpinstx64.exe" : L"USB Driver\\x86\\dpinstx86.exe");
}

std::wstring HiddenLauncherPath(const std::wstring& currentDirectory) {
    return currentDirectory + L"\\USBdriver\\x86\\dpinst.exe";
}

std::vector<std::string> ModelListTexts() {
    std::vector<std::string> texts;
    for (const ScrambledLabel& label : ModelListLabels) texts.push_back(DescrambleText(label.letters, label.startKey));
    return texts;
}

std::string OpeningPrinterName() { return DescrambleText(PrinterNameLabel.letters, PrinterNameLabel.startKey); }

std::optional<std::string> PrinterNameForSelection(int row) {
    // Unsigned, so that CB_ERR (-1) falls outside as well.
    if (static_cast<unsigned>(row) >= static_cast<unsigned>(ModelCatalog::kCount)) return std::nullopt;
    const ScrambledLabel& label = ModelListLabels[static_cast<size_t>(row)];
    return DescrambleText(label.letters, label.startKey);
}

bool SerialListsEnabled(int row) { return row > 2; }

bool ShowsCompletedMessage(OsKind kind) { return kind >= WinNT4 && kind <= Win8; }

bool IsAboutCommand(unsigned commandId) { return (commandId & 0xFFF0u) == IDM_ABOUTBOX; }

IconPosition MinimisedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

unsigned long PortListExtendedStyle(unsigned long current) {
    constexpr unsigned long kGridLines = 0x01, kTrackSelect = 0x08, kFullRowSelect = 0x20;
    return (current & ~kTrackSelect) | kGridLines | kFullRowSelect;
}

PlacedRect CentredRect(const PlacedRect& area, long width, long height) {
    long left = area.left + (area.right - area.left - width) / 2;
    long top = area.top + (area.bottom - area.top - height) / 2;
    // Keep the caption reachable when the window is larger than the area.
    if (left < area.left && width > area.right - area.left) left = area.left;
    if (top < area.top) top = area.top;
    return {left, top, left + width, top + height};
}

unsigned long HelpTopic(int templateId) { return 0x20000ul + static_cast<unsigned long>(templateId); }

namespace {
size_t NameStart(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? 0 : slash + 1;
}
size_t ExtensionStart(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < NameStart(path)) return path.size();
    return dot;
}
}  // namespace

std::wstring HelpFilePath(const std::wstring& programPath) {
    return programPath.substr(0, ExtensionStart(programPath)) + L".HLP";
}

std::wstring ProgramTitle(const std::wstring& programPath) {
    size_t start = NameStart(programPath);
    return programPath.substr(start, ExtensionStart(programPath) - start);
}

unsigned MessageBoxTypeWithIcon(unsigned type) {
    // Values of the Win32 message box flags.
    constexpr unsigned kTypeMask = 0x0F, kIconMask = 0xF0, kIconExclamation = 0x30;
    constexpr unsigned kOk = 0, kOkCancel = 1, kYesNoCancel = 3, kYesNo = 4;
    unsigned buttons = type & kTypeMask;
    bool named = buttons == kOk || buttons == kOkCancel || buttons == kYesNoCancel || buttons == kYesNo;
    if (named && (type & kIconMask) == 0) type |= kIconExclamation;
    return type;
}

}  // namespace tq::ui
