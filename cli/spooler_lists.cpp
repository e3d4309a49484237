#include "cli/spooler_lists.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/exit_codes.h"
#include "platform/system_services.h"

namespace tq::cli {
namespace {

void PrintJson(const nlohmann::json& value) {
    std::cout << value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

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
    const auto spooler = platform::SystemSpooler();
    if (!spooler) {
        std::cerr << "tqinstall: ports needs Windows (its print spooler)\n";
        return kExitBadArguments;
    }
    const platform::PortList list = spooler->EnumPorts();
    if (!list.call.ok) return Failed("EnumPortsA", list.call.error);
    if (json) {
        nlohmann::json ports = nlohmann::json::array();
        for (const auto& p : list.ports) {
            ports.push_back({{"name", p.name}, {"monitor", p.monitor}, {"description", p.description}});
        }
        PrintJson(ports);
    } else {
        for (const auto& p : list.ports) std::cout << p.name << "\t" << p.monitor << "\t" << p.description << "\n";
    }
    return kExitDone;
}

int RunMonitors(bool json) {
    const auto spooler = platform::SystemSpooler();
    if (!spooler) {
        std::cerr << "tqinstall: monitors needs Windows (its print spooler)\n";
        return kExitBadArguments;
    }
    const platform::MonitorList list = spooler->EnumMonitors();
    if (!list.call.ok) return Failed("EnumMonitorsA", list.call.error);
    if (json) {
        PrintJson(list.names);
    } else {
        for (const auto& name : list.names) std::cout << name << "\n";
    }
    return kExitDone;
}

}  // namespace tq::cli
