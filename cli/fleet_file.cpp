#include "cli/fleet_file.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <set>

#include "cli/network_output.h"

namespace tq::cli {
namespace {

using nlohmann::json;

// The install option each key stands for, as ResolveChoices names it in its errors.
struct KeyOption {
    const char* key;
    const char* option;
};
constexpr KeyOption kSettingKeys[] = {
    {"model", "--model"},       {"port", "--port"},         {"serialPort", "--serial-port"},
    {"baud", "--baud"},         {"parity", "--parity"},     {"dataBits", "--data-bits"},
    {"stopBits", "--stop-bits"}, {"flow", "--flow"},
};
const std::set<std::string> kKeys = {"model",  "port",     "default",  "testPrint", "serialPort",
                                     "baud",   "parity",   "dataBits", "stopBits",  "flow"};

// A text value; numbers are taken as their decimal text (a row, a baud rate, data bits).
std::string TextOf(const json& value, const std::string& place, bool numberToo) {
    if (value.is_string()) return value.get<std::string>();
    if (numberToo && value.is_number_integer()) return std::to_string(value.get<long long>());
    throw FleetFileError(place, numberToo ? "must be a text or a whole number" : "must be a text");
}

bool FlagOf(const json& value, const std::string& place) {
    if (!value.is_boolean()) throw FleetFileError(place, "must be true or false");
    return value.get<bool>();
}

FleetPrinter ParseEntry(const json& entry, const std::string& place, const std::string& arch) {
    if (!entry.is_object()) throw FleetFileError(place, "must be an object such as {\"model\": 5, \"port\": \"LPT1:\"}");
    for (const auto& item : entry.items()) {
        if (!kKeys.count(item.key())) {
            throw FleetFileError(place + "." + item.key(),
                                 "unknown key (known: model, port, default, testPrint, serialPort, baud, parity, "
                                 "dataBits, stopBits, flow)");
        }
    }
    if (!entry.contains("model")) throw FleetFileError(place + ".model", "missing: every printer names its model");

    ChoiceOptions options;
    options.arch = arch;
    options.model = TextOf(entry["model"], place + ".model", true);
    if (entry.contains("port")) {
        options.port = TextOf(entry["port"], place + ".port", false);
        if (options.port.empty()) throw FleetFileError(place + ".port", "is empty; name a port such as \"LPT1:\"");
    }
    options.makeDefault = entry.contains("default") && FlagOf(entry["default"], place + ".default");
    const bool testPrint = entry.contains("testPrint") && FlagOf(entry["testPrint"], place + ".testPrint");
    if (entry.contains("serialPort")) options.serialPort = TextOf(entry["serialPort"], place + ".serialPort", false);
    if (entry.contains("baud")) options.baud = TextOf(entry["baud"], place + ".baud", true);
    if (entry.contains("parity")) options.parity = TextOf(entry["parity"], place + ".parity", false);
    if (entry.contains("dataBits")) options.dataBits = TextOf(entry["dataBits"], place + ".dataBits", true);
    if (entry.contains("stopBits")) options.stopBits = TextOf(entry["stopBits"], place + ".stopBits", false);
    if (entry.contains("flow")) options.flow = TextOf(entry["flow"], place + ".flow", false);

    FleetPrinter printer;
    printer.testPrint = testPrint;
    try {
        printer.choices = ResolveChoices(options);
        printer.networkPort = NetworkPortChoice(options.port);
    } catch (const CLI::ValidationError& e) {
        // Name the key whose option ResolveChoices refused.
        const std::string what = e.what();
        for (const auto& k : kSettingKeys) {
            const std::string prefix = std::string(k.option) + ": ";
            if (what.compare(0, prefix.size(), prefix) == 0) {
                throw FleetFileError(place + "." + k.key, what.substr(prefix.size()));
            }
        }
        throw FleetFileError(place, what);
    }
    return printer;
}

}  // namespace

std::vector<FleetPrinter> ParseFleetFile(const std::string& text, const std::string& arch) {
    json document;
    try {
        document = json::parse(text);
    } catch (const json::parse_error& e) {
        // e.byte: where the parser stopped, counted from 1.
        throw FleetFileError("", "not valid JSON (at byte " + std::to_string(e.byte) + ")");
    }
    if (!document.is_object()) throw FleetFileError("", "must be a JSON object {\"printers\": [...]}");
    for (const auto& item : document.items()) {
        if (item.key() != "printers") throw FleetFileError(item.key(), "unknown key (the file holds \"printers\")");
    }
    if (!document.contains("printers")) throw FleetFileError("printers", "missing");
    const json& list = document["printers"];
    if (!list.is_array()) throw FleetFileError("printers", "must be a list [...]");
    if (list.empty()) throw FleetFileError("printers", "is empty; name at least one printer");

    std::vector<FleetPrinter> printers;
    int firstDefault = -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string place = "printers[" + std::to_string(i) + "]";
        printers.push_back(ParseEntry(list[i], place, arch));
        // A model's printer bears the model's name: one printer per model.
        for (std::size_t j = 0; j + 1 < printers.size(); ++j) {
            if (printers[j].choices.model.index == printers.back().choices.model.index) {
                throw FleetFileError(place + ".model", std::string("\"") + printers.back().choices.model.displayName +
                                                           "\" is printers[" + std::to_string(j) +
                                                           "] already; a model has one printer");
            }
        }
        if (!printers.back().choices.makeDefault) continue;
        if (firstDefault >= 0) {
            throw FleetFileError(place + ".default", "a second default printer (printers[" +
                                                         std::to_string(firstDefault) +
                                                         "] is the default already); one printer at most");
        }
        firstDefault = static_cast<int>(i);
    }
    return printers;
}

}  // namespace tq::cli
