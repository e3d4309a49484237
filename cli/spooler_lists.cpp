#include "cli/spooler_lists.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/console_output.h"
#include "cli/exit_codes.h"
#include "install/machine.h"
#include "platform/system_services.h"

namespace tq::cli {
namespace {

// Reports a failed enumeration; the list it gave is empty then.
int Failed(const char* call, platform::ErrorCode error) {
    std::cerr << "tqinstall: " << call << " failed with error " << error;
    const std::string text = platform::SystemErrorText(error);
    if (!text.empty()) std::cerr << ": " << text;
    std::cerr << "\n";
    return kExitFailed;
}

}  // namespace

int RunPorts(bool json) {
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("ports");
    const platform::PortList list = machine->spooler().EnumPorts();
    if (!list.call.ok) return Failed("EnumPortsA", list.call.error);
    if (json) {
        nlohmann::json ports = nlohmann::json::array();
        for (const auto& p : list.ports) {
            ports.push_back({{"name", platform::SystemTextToUtf8(p.name)},
                             {"monitor", platform::SystemTextToUtf8(p.monitor)},
                             {"description", platform::SystemTextToUtf8(p.description)}});
        }
        PrintJson(ports);
    } else {
        for (const auto& p : list.ports) std::cout << p.name << "\t" << p.monitor << "\t" << p.description << "\n";
    }
    return kExitDone;
}

int RunMonitors(bool json) {
    const auto machine = Machine::Open();
    if (!machine) return NeedsWindows("monitors");
    const platform::MonitorList list = machine->spooler().EnumMonitors();
    if (!list.call.ok) return Failed("EnumMonitorsA", list.call.error);
    if (json) {
        nlohmann::json names = nlohmann::json::array();
        for (const auto& name : list.names) names.push_back(platform::SystemTextToUtf8(name));
        PrintJson(names);
    } else {
        for (const auto& name : list.names) std::cout << name << "\n";
    }
    return kExitDone;
}

}  // namespace tq::cli
