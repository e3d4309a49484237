// Taking a model away from a machine: its printer, the default-printer value
// when it names that printer, its driver registration in one environment, and
// the driver files no other installed driver uses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "install/install_run.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/spooler.h"

namespace tq {

// One file name of the model's driver and where it lies in the driver directory.
struct FileRemoval {
    std::string name;
    std::vector<std::string> paths;  // the installation's copy, the spooler's copy
    std::string usedBy;              // another installed driver that uses the name; empty: remove it
};

// The files to look at: the names every installation of `model` copies into
// `driverDirectory` (none when it is empty) and the files `ours` lists (the
// spooler's full paths). A name that any of `others` lists, by file name
// without regard to case, is kept.
std::vector<FileRemoval> FilesToRemove(const ModelEntry& model, const std::string& driverDirectory,
                                       const std::optional<platform::InstalledDriver>& ours,
                                       const std::vector<platform::InstalledDriver>& others);

// Uninstalls `model` for the architecture's environment. Each part is done
// when it is there, and reported NotThere when it is not; the driver stays
// (InUse) while another printer uses it, and then so do its files. Every step
// goes into the report; the run does not stop at a failure.
InstallReport UninstallModel(const ModelEntry& model, Architecture architecture, platform::Spooler& spooler,
                             platform::FileSystem& files, platform::Registry& registry);

}  // namespace tq
