// The machine this program runs on, as both front ends reach it: the spooler,
// file system, registry and pause of platform/system_services.h, the front
// end's message box, and the two host detections. One check says whether this
// is Windows: elsewhere there is no machine to open.
#pragma once

#include <memory>

#include "host/host_probes.h"
#include "platform/install_platform.h"

namespace tq {

class Machine {
public:
    // The machine's services; nullptr on a system without Win32. `messages`
    // shows the run's message box (the wizard's); without it nothing is shown
    // (tqinstall's report carries the failure). It must outlive the machine.
    static std::unique_ptr<Machine> Open(platform::UserMessages* messages = nullptr);

    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;
    ~Machine();

    platform::Spooler& spooler() const { return *spooler_; }
    platform::FileSystem& files() const { return *files_; }
    platform::Registry& registry() const { return *registry_; }
    // Everything the installation run takes, as one.
    const platform::InstallPlatform& Platform() const { return platform_; }

private:
    Machine(std::unique_ptr<platform::Spooler> spooler, std::unique_ptr<platform::FileSystem> files,
            std::unique_ptr<platform::Registry> registry, std::unique_ptr<platform::Sleeper> sleeper,
            platform::UserMessages& messages);

    std::unique_ptr<platform::Spooler> spooler_;
    std::unique_ptr<platform::FileSystem> files_;
    std::unique_ptr<platform::Registry> registry_;
    std::unique_ptr<platform::Sleeper> sleeper_;
    platform::InstallPlatform platform_;
};

// The version class of the running Windows (GetVersionExA); `held` when there
// is none.
OsKind DetectOsKind(OsKind held);

// The WOW64 test on the running system.
Architecture DetectArchitecture();

}  // namespace tq
