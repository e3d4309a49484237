// The machine's own services for the wizard: the Win32 spooler, file system,
// registry and pause, and message boxes through AfxMessageBox.
#include "platform/system_services.h"
#include "ui/pages.h"

namespace tq::ui {
namespace {

class MessageBoxMessages final : public platform::UserMessages {
public:
    void ShowOk(const std::string& textCp936) override { AfxMessageBox(textCp936, MB_OK); }
};

struct MachineServices {
    std::unique_ptr<platform::Spooler> spooler = platform::SystemSpooler();
    std::unique_ptr<platform::FileSystem> files = platform::SystemFileSystem();
    std::unique_ptr<platform::Registry> registry = platform::SystemRegistry();
    std::unique_ptr<platform::Sleeper> sleeper = platform::SystemSleeper();
    MessageBoxMessages messages;
    platform::InstallPlatform platform{*spooler, *files, *registry, messages, *sleeper};
};

}  // namespace

const platform::InstallPlatform& MachinePlatform() {
    static MachineServices services;
    return services.platform;
}

}  // namespace tq::ui
