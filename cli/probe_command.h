// tqinstall probe: a network receipt printer's state over TCP.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tq::cli {

struct ProbeOptions {
    std::string target;    // HOST[:PORT]
    double timeout = 2.0;  // seconds, for the connection and for each answer
    bool json = false;
};

void AddProbeOptions(CLI::App& app, ProbeOptions& options);
// 0 ready; 1 unreachable, no answer, offline, cover open or paper out; 2 bad arguments.
int RunProbe(const ProbeOptions& options);

}  // namespace tq::cli
