// Whether a package folder holds every file an installation takes from it:
// the driver files that any model's plan copies, for both architectures, and
// the two USB driver installers.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tq {

struct PackageFolderCheck {
    std::string folder;                 // relative to the package, ending in "\": "Printer Driver\x86\"
    std::vector<std::string> expected;  // the file names it must hold, in plan order
    std::vector<std::string> missing;   // those it does not hold
};

// The folders and files of a complete package, every `missing` empty.
std::vector<PackageFolderCheck> ExpectedPackageFiles();

// The check of a package; `exists` answers for a path relative to the package
// folder, with backslashes ("Printer Driver\x86\TQRND.DLL").
std::vector<PackageFolderCheck> CheckPackage(const std::function<bool(const std::string& relativePath)>& exists);

bool PackageComplete(const std::vector<PackageFolderCheck>& check);

}  // namespace tq
