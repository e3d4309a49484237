#include "cli/choice_options.h"

#include "cli/network_output.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>

#include "install/machine.h"
#include "platform/names.h"
#include "platform/system_services.h"

namespace tq::cli {
namespace {

using platform::LowerAscii;
using platform::SameName;

template <std::size_t N>
std::string Joined(const std::array<const char*, N>& items, bool lower) {
    std::string out;
    for (const char* item : items) {
        if (!out.empty()) out += "|";
        out += lower ? LowerAscii(item) : std::string(item);
    }
    return out;
}

// Index of `value` in `items`, compared without regard to case.
template <std::size_t N>
int IndexOf(const std::array<const char*, N>& items, const std::string& value, const char* option, bool lower) {
    for (std::size_t i = 0; i < N; ++i) {
        if (SameName(items[i], value)) return static_cast<int>(i);
    }
    throw CLI::ValidationError(option, "'" + value + "' is not one of " + Joined(items, lower));
}

}  // namespace

const ModelEntry* FindModel(const std::string& rowOrName) {
    if (!rowOrName.empty() && rowOrName.size() <= 2 &&
        std::all_of(rowOrName.begin(), rowOrName.end(), [](unsigned char c) { return std::isdigit(c); })) {
        return ModelCatalog::Row(std::stoi(rowOrName));
    }
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        if (rowOrName == ModelCatalog::Row(row)->displayName) return ModelCatalog::Row(row);
    }
    return nullptr;
}

void AddModelOptions(CLI::App& app, std::string& model, std::string& arch, bool modelRequired) {
    auto* option = app.add_option("--model", model, "Model: row 0..18 or the exact display name (see 'models')");
    if (modelRequired) {
        option->required();
    } else {
        option->capture_default_str();
    }
    app.add_option("--arch", arch, "Driver environment: x86|x64 (default: the WOW64 test)");
}

void AddChoiceOptions(CLI::App& app, ChoiceOptions& o, bool withDriverDir) {
    AddModelOptions(app, o.model, o.arch, false);
    app.add_option("--port", o.port,
                   "Printer port as the spooler names it, or tcp:HOST[:PORT] for a network printer "
                   "(a Standard TCP/IP port, RAW, port 9100 by default)")
        ->capture_default_str();
    app.add_flag("--default,!--no-default", o.makeDefault, "Make the printer the default printer (default on)");
    app.add_option("--serial-port", o.serialPort, "Serial settings port: " + Joined(kSerialPortItems, false))
        ->capture_default_str();
    app.add_option("--baud", o.baud, "Baud rate: " + Joined(kBaudTexts, false))->capture_default_str();
    app.add_option("--parity", o.parity, "Parity: " + Joined(kParityItems, true))->capture_default_str();
    app.add_option("--data-bits", o.dataBits, "Data bits: " + Joined(kDataBitsTexts, false))->capture_default_str();
    app.add_option("--stop-bits", o.stopBits, "Stop bits: " + Joined(kStopBitsTexts, false))->capture_default_str();
    app.add_option("--flow", o.flow, "Flow control: " + Joined(kFlowControlItems, true))->capture_default_str();
    if (withDriverDir) {
        app.add_option("--driver-dir", o.driverDir,
                       "Driver directory for the destinations (default: what the spooler reports; "
                       "empty where there is no spooler)");
    }
}

InstallChoices ResolveChoices(const ChoiceOptions& o) {
    InstallChoices c;
    const ModelEntry* model = FindModel(o.model);
    if (!model) {
        throw CLI::ValidationError("--model", "'" + o.model +
                                                  "' is neither a row 0..18 nor a model's display name "
                                                  "(see 'tqinstall models')");
    }
    c.model = *model;
    if (o.arch.empty()) {
        c.architecture = DetectArchitecture();
    } else if (SameName(o.arch, "x86")) {
        c.architecture = Architecture::x86;
    } else if (SameName(o.arch, "x64")) {
        c.architecture = Architecture::x64;
    } else {
        throw CLI::ValidationError("--arch", "'" + o.arch + "' is not one of x86|x64");
    }
    // A network port is named as Windows names the port the install makes; the
    // spooler takes port names in the system's code page, the arguments are UTF-8.
    const auto network = NetworkPortChoice(o.port);
    c.portName = network ? network->name : platform::Utf8ToSystemText(o.port);
    c.makeDefault = o.makeDefault;
    c.serialPortIndex = IndexOf(kSerialPortItems, o.serialPort, "--serial-port", false);
    c.serial.baud = IndexOf(kBaudTexts, o.baud, "--baud", false);
    c.serial.parity = IndexOf(kParityItems, o.parity, "--parity", true);
    c.serial.dataBits = IndexOf(kDataBitsTexts, o.dataBits, "--data-bits", false);
    c.serial.stopBits = IndexOf(kStopBitsTexts, o.stopBits, "--stop-bits", false);
    c.serial.flowControl = IndexOf(kFlowControlItems, o.flow, "--flow", true);
    return c;
}

}  // namespace tq::cli
