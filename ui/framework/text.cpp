#include "ui/framework/text.h"

#include <windows.h>

namespace tq::ui {
namespace {

constexpr UINT kChineseCodePage = 936;

std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring WidenCp936(const std::string& text) { return Widen(kChineseCodePage, text); }
std::string NarrowCp936(const std::wstring& text) { return Narrow(kChineseCodePage, text); }
std::wstring WidenSystemText(const std::string& text) { return Widen(CP_ACP, text); }
std::string NarrowSystemText(const std::wstring& text) { return Narrow(CP_ACP, text); }
std::string ToUtf8(const std::wstring& text) { return Narrow(CP_UTF8, text); }
std::string Utf8ToCp936(const std::string& text) { return Narrow(kChineseCodePage, Widen(CP_UTF8, text)); }

}  // namespace tq::ui
