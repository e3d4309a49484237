#include "cli/probe_command.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <iostream>

#include "cli/console_output.h"
#include "cli/exit_codes.h"
#include "cli/network_output.h"
#include "install/printer_probe.h"
#include "platform/system_services.h"
#include "platform/tcp_client.h"

namespace tq::cli {

void AddProbeOptions(CLI::App& app, ProbeOptions& o) {
    app.add_option("target", o.target, "The printer: HOST[:PORT] (an IPv4 address or a name; port 9100 by default)")
        ->required();
    app.add_option("--timeout", o.timeout, "Seconds to wait for the connection and for each answer")
        ->check(CLI::Range(0.001, 3600.0))
        ->capture_default_str();
    app.add_flag("--json", o.json, "Print JSON");
}

int RunProbe(const ProbeOptions& o) {
    std::string error;
    const auto address = ParseHostAndPort(o.target, error);
    if (!address) {
        std::cerr << "tqinstall: probe: " << error << "\n";
        return kExitBadArguments;
    }
    auto client = platform::SystemTcpClient();
    if (!client) {
        std::cerr << "tqinstall: probe needs Windows (its Winsock network calls)\n";
        return kExitBadArguments;
    }
    const auto timeoutMs = static_cast<unsigned>(std::lround(o.timeout * 1000.0));
    const ProbeResult result = ProbePrinter(*client, *address, timeoutMs);
    if (o.json) {
        PrintJson(ProbeToJson(result));
        const auto problems = ProbeProblems(result);
        if (!problems.empty()) {
            std::cerr << "tqinstall: probe: not ready:";
            for (std::size_t i = 0; i < problems.size(); ++i) std::cerr << (i ? ", " : " ") << problems[i];
            std::cerr << "\n";
        }
    } else {
        std::cout << ProbeToText(result, platform::SystemErrorText);
    }
    return ProbeReady(result) ? kExitDone : kExitFailed;
}

}  // namespace tq::cli
