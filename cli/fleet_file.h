// The fleet file of `tqinstall apply`: several printers in one JSON file,
//   {"printers": [{"model": 5, "port": "LPT1:", "default": true, "testPrint": false},
//                 {"model": "TQ-K30 Series", "port": "tcp:192.168.1.50"}]}
// An entry may also hold the serial settings install takes ("serialPort",
// "baud", "parity", "dataBits", "stopBits", "flow"). The whole file is checked
// before anything is installed.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/choice_options.h"
#include "install/plan.h"
#include "install/tcp_port.h"

namespace tq::cli {

struct FleetPrinter {
    InstallChoices choices;  // makeDefault true only for the entry that says "default": true
    std::optional<TcpPortSettings> networkPort;  // for "port": "tcp:HOST[:PORT]"
    bool testPrint = false;
};

// A file that cannot be used: `place` names where (such as "printers[1].model",
// or "" for the file as a whole), what() says what is wrong there.
class FleetFileError : public std::runtime_error {
public:
    FleetFileError(std::string place, const std::string& message)
        : std::runtime_error(place.empty() ? message : place + ": " + message), place_(std::move(place)) {}
    const std::string& place() const { return place_; }

private:
    std::string place_;
};

// The printers of the file's text, in order, each resolved as install would
// resolve its options (`arch` as --arch: empty for the WOW64 test). Throws
// FleetFileError for JSON that does not parse, an unknown key, a missing
// model, an unknown model, a value of the wrong type or outside its table,
// an empty list, or more than one default.
std::vector<FleetPrinter> ParseFleetFile(const std::string& text, const std::string& arch = "");

}  // namespace tq::cli
