// The command line as UTF-8: Windows hands a program its arguments as UTF-16
// (wmain), whatever the ANSI code page, so that a path of any name arrives
// intact. Paths made from these texts go through std::filesystem::u8path.
#pragma once

#include <string>
#include <vector>

namespace tq::cli {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const std::wstring& text);

// Owns the UTF-8 copies of argv and hands out a char** for the parser.
class Utf8Arguments {
public:
    Utf8Arguments(int argc, const wchar_t* const* argv);
    int argc() const { return static_cast<int>(pointers_.size()) - 1; }
    char** argv() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

}  // namespace tq::cli
