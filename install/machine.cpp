#include "install/machine.h"

#include "platform/host_queries.h"
#include "platform/system_services.h"

namespace tq {
namespace {

class SilentMessages final : public platform::UserMessages {
public:
    void ShowOk(const std::string&) override {}
};

SilentMessages silentMessages;

}  // namespace

Machine::Machine(std::unique_ptr<platform::Spooler> spooler, std::unique_ptr<platform::FileSystem> files,
                 std::unique_ptr<platform::Registry> registry, std::unique_ptr<platform::Sleeper> sleeper,
                 platform::UserMessages& messages)
    : spooler_(std::move(spooler)),
      files_(std::move(files)),
      registry_(std::move(registry)),
      sleeper_(std::move(sleeper)),
      platform_{*spooler_, *files_, *registry_, messages, *sleeper_} {}

Machine::~Machine() = default;

std::unique_ptr<Machine> Machine::Open(platform::UserMessages* messages) {
    auto spooler = platform::SystemSpooler();
    auto files = platform::SystemFileSystem();
    auto registry = platform::SystemRegistry();
    auto sleeper = platform::SystemSleeper();
    if (!spooler || !files || !registry || !sleeper) return nullptr;  // not Windows
    return std::unique_ptr<Machine>(new Machine(std::move(spooler), std::move(files), std::move(registry),
                                                std::move(sleeper), messages ? *messages : silentMessages));
}

OsKind DetectOsKind(OsKind held) { return DetectOsKindFrom(held, platform::QueryOsVersion()); }

Architecture DetectArchitecture() {
    return ArchitectureFrom(platform::ProcessIs64BitWindows(), platform::QueryWow64());
}

}  // namespace tq
