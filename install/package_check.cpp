#include "install/package_check.h"

#include <algorithm>

#include "install/plan.h"

namespace tq {

std::vector<PackageFolderCheck> ExpectedPackageFiles() {
    std::vector<PackageFolderCheck> folders;
    for (const Architecture arch : {Architecture::x86, Architecture::x64}) {
        PackageFolderCheck driverFiles{SourceFolder(arch), {}, {}};
        for (int row = 0; row < ModelCatalog::Count(); ++row) {
            for (const auto& name : CopiedFileNames(*ModelCatalog::Row(row))) {
                auto& files = driverFiles.expected;
                if (std::find(files.begin(), files.end(), name) == files.end()) files.push_back(name);
            }
        }
        folders.push_back(std::move(driverFiles));
    }
    for (const Architecture arch : {Architecture::x86, Architecture::x64}) {
        const std::string program = UsbDriverProgram(arch);
        const auto slash = program.find_last_of('\\');
        folders.push_back({program.substr(0, slash + 1), {program.substr(slash + 1)}, {}});
    }
    return folders;
}

std::vector<PackageFolderCheck> CheckPackage(const std::function<bool(const std::string&)>& exists) {
    std::vector<PackageFolderCheck> folders = ExpectedPackageFiles();
    for (auto& folder : folders) {
        for (const auto& name : folder.expected) {
            if (!exists(folder.folder + name)) folder.missing.push_back(name);
        }
    }
    return folders;
}

bool PackageComplete(const std::vector<PackageFolderCheck>& check) {
    return std::all_of(check.begin(), check.end(), [](const PackageFolderCheck& f) { return f.missing.empty(); });
}

}  // namespace tq
