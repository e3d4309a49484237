// Comparing the names the spooler and the file system keep: both ignore case
// (for the ASCII letters our names are made of).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace tq::platform {

inline std::string LowerAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

inline bool SameName(const std::string& a, const std::string& b) { return LowerAscii(a) == LowerAscii(b); }

// The file name of a path: what follows its last backslash.
inline std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tq::platform
