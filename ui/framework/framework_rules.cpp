#include "ui/framework/framework_rules.h"

namespace tq::ui {

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
