#include "cli/network_output.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <sstream>

#include "platform/names.h"

namespace tq::cli {
namespace {

nlohmann::json OrNull(const std::optional<bool>& value) { return value ? nlohmann::json(*value) : nullptr; }

std::string Words(const std::optional<bool>& value, const char* yes, const char* no) {
    if (!value) return "no answer";
    return *value ? yes : no;
}

}  // namespace

std::optional<TcpPortSettings> NetworkPortChoice(const std::string& portOption) {
    if (!IsTcpPortChoice(portOption)) return std::nullopt;
    std::string error;
    const auto address = ParseHostAndPort(portOption.substr(4), error);
    if (!address) throw CLI::ValidationError("--port", "tcp:HOST[:PORT]: " + error);
    return NewTcpPort(*address);
}

nlohmann::json NetworkPortToJson(const std::optional<TcpPortSettings>& port) {
    if (!port) return nullptr;
    return nlohmann::json{{"name", port->name},
                          {"host", port->host},
                          {"number", port->number},
                          {"protocol", ProtocolName(port->protocol)},
                          {"snmp", port->snmpEnabled},
                          {"monitor", std::string(kTcpPortMonitor)}};
}

std::string NetworkPortToText(const std::optional<TcpPortSettings>& port) {
    if (!port) return {};
    std::ostringstream out;
    out << "Network port (made first, or used as it is when it exists with these settings):\n"
        << "  name             " << port->name << "\n"
        << "  host             " << port->host << "\n"
        << "  number           " << port->number << "\n"
        << "  protocol         " << ProtocolName(port->protocol) << ", SNMP " << (port->snmpEnabled ? "on" : "off")
        << "\n"
        << "  monitor          " << kTcpPortMonitor << "\n";
    return out.str();
}

std::optional<std::string> PortNotListedMessage(const std::string& port, const std::vector<platform::PortInfo>& ports,
                                                const std::string& place) {
    const bool listed = !port.empty() && std::any_of(ports.begin(), ports.end(), [&](const platform::PortInfo& p) {
                            return platform::SameName(p.name, port);
                        });
    if (listed) return std::nullopt;
    std::string message = port.empty() ? place + " is empty" : place + ": the spooler has no port \"" + port + "\"";
    message += "; nothing was done. ";
    if (ports.empty()) {
        message += "The spooler lists no ports.";
    } else {
        message += "The ports there are:";
        for (const auto& p : ports) message += " \"" + p.name + "\"";
        message += ".";
    }
    message += " A network printer takes tcp:HOST[:PORT].";
    return message;
}

nlohmann::json ProbeToJson(const ProbeResult& r) {
    return {{"host", r.address.host},
            {"port", r.address.number},
            {"reachable", r.reachable},
            {"online", OrNull(r.status.online)},
            {"coverOpen", OrNull(r.status.coverOpen)},
            {"paperNearEnd", OrNull(r.status.paperNearEnd)},
            {"paperOut", OrNull(r.status.paperOut)},
            {"drawerPin3High", OrNull(r.status.drawerPin3High)},
            {"ms", r.ms}};
}

std::string ProbeToText(const ProbeResult& r, const ErrorTextFn& errorText) {
    std::ostringstream out;
    out << "Printer at " << r.address.host << ":" << r.address.number;
    if (!r.reachable) {
        out << ": UNREACHABLE";
        if (r.connectTimedOut) {
            out << ": no connection within the timeout";
        } else if (r.connectError) {
            out << " (error " << r.connectError;
            const std::string message = errorText(r.connectError);
            if (!message.empty()) out << ": " << message;
            out << ")";
        }
        out << " [" << r.ms << " ms]\n";
        out << "Check the address, the cable and that the printer is switched on.\n";
        return out.str();
    }
    out << " [" << r.ms << " ms]\n"
        << "  online           " << Words(r.status.online, "yes", "NO (offline)") << "\n"
        << "  cover            " << Words(r.status.coverOpen, "OPEN", "closed") << "\n"
        << "  paper out        " << Words(r.status.paperOut, "YES", "no") << "\n"
        << "  paper near end   " << Words(r.status.paperNearEnd, "yes", "no") << "\n"
        << "  drawer pin 3     " << Words(r.status.drawerPin3High, "high", "low") << "\n";
    const auto problems = ProbeProblems(r);
    if (problems.empty()) {
        out << "Ready to print.\n";
    } else {
        out << "NOT READY:";
        for (std::size_t i = 0; i < problems.size(); ++i) out << (i ? ", " : " ") << problems[i];
        out << ".\n";
    }
    return out.str();
}

}  // namespace tq::cli
