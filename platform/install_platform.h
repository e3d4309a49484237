// Everything the installation run reaches the machine through, passed as one.
#pragma once

#include "platform/file_system.h"
#include "platform/user_messages.h"
#include "platform/registry.h"
#include "platform/sleeper.h"
#include "platform/spooler.h"

namespace tq::platform {

struct InstallPlatform {
    Spooler& spooler;
    FileSystem& files;
    Registry& registry;
    UserMessages& messages;
    Sleeper& sleeper;
};

}  // namespace tq::platform
