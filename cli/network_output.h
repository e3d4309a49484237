// tqinstall's network words: the tcp: port choice, the port that plan shows,
// the refusal of a port the spooler does not list, and probe's report.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/report_output.h"
#include "install/printer_probe.h"
#include "install/tcp_port.h"
#include "platform/spooler.h"

namespace tq::cli {

// The network port a --port value asks for ("tcp:HOST[:PORT]"); nullopt for a
// port the spooler names. Throws CLI::ValidationError for a bad tcp: form.
std::optional<TcpPortSettings> NetworkPortChoice(const std::string& portOption);

// The port plan shows: {name, host, number, protocol, snmp}, or null.
nlohmann::json NetworkPortToJson(const std::optional<TcpPortSettings>& port);
// "Network port: ..." lines; empty for none.
std::string NetworkPortToText(const std::optional<TcpPortSettings>& port);

// Why `port` cannot be used, listing the ports there are; nullopt when the
// spooler lists it (compared without regard to case).
std::optional<std::string> PortNotListedMessage(const std::string& port, const std::vector<platform::PortInfo>& ports,
                                                const std::string& place = "--port");

nlohmann::json ProbeToJson(const ProbeResult& result);
std::string ProbeToText(const ProbeResult& result, const ErrorTextFn& errorText);

}  // namespace tq::cli
