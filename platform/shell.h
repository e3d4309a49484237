// Starting a program the way the user's shell would, and the current directory
// programs are found in. Wide texts: a path may hold any character and be of
// any length.
#pragma once

#include <string>

namespace tq::platform {

// The process's current directory, however long, as Windows reports it
// (without a trailing separator except for a drive's root).
std::wstring CurrentDirectory();

// ShellExecute with no owner window, "open", no parameters and no working
// directory, shown normally. Returns at once; the result is not examined.
void ShellOpen(const std::wstring& path);

}  // namespace tq::platform
