// Texts at the Win32 boundary. The program keeps its own texts as 8-bit strings
// in code page 936 and hands them to Windows as UTF-16, so that they read right
// on a Windows of any language; the system's texts travel in its ANSI code page.
#pragma once

#include <string>

namespace tq::ui {

std::wstring WidenCp936(const std::string& text);
std::string NarrowCp936(const std::wstring& text);
// The system's own texts (the spooler's port, monitor and printer names, as
// the ANSI calls give and take them) are in the system's ANSI code page.
std::wstring WidenSystemText(const std::string& text);
std::string NarrowSystemText(const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
// UTF-8 text (such as the system's error messages) in code page 936.
std::string Utf8ToCp936(const std::string& text);

}  // namespace tq::ui
