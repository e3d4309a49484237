#include "cli/logged_installs.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace tq::cli {
namespace {

using nlohmann::json;

// Whether a run's steps say the printer was created by it: its createPrinter
// step changed the machine (a report without "changed": it succeeded rather
// than finding the printer there).
bool CreatedPrinter(const json& run) {
    if (!run.contains("steps") || !run["steps"].is_array()) return false;
    for (const json& step : run["steps"]) {
        if (!step.is_object() || step.value("step", "") != "createPrinter") continue;
        if (step.contains("changed") && step["changed"].is_boolean()) return step["changed"].get<bool>();
        return step.value("outcome", "") == "succeeded";
    }
    return false;
}

bool ModelOf(const json& choices, LoggedModel& model) {
    if (!choices.is_object() || !choices.contains("row") || !choices["row"].is_number_integer()) return false;
    if (!choices.contains("environment") || !choices["environment"].is_string()) return false;
    model.row = choices["row"].get<int>();
    model.environment = choices["environment"].get<std::string>();
    return true;
}

}  // namespace

std::vector<LoggedModel> ModelsMadeByLog(std::istream& log) {
    std::vector<LoggedModel> made;
    auto same = [](const LoggedModel& a, const LoggedModel& b) {
        return a.row == b.row && a.environment == b.environment;
    };
    auto add = [&](const json& run) {
        LoggedModel m;
        if (!ModelOf(run.value("choices", json()), m) || !CreatedPrinter(run)) return;
        if (std::none_of(made.begin(), made.end(), [&](const LoggedModel& x) { return same(x, m); })) {
            made.push_back(m);
        }
    };

    std::string text;
    while (std::getline(log, text)) {
        const json line = json::parse(text, nullptr, false);
        if (!line.is_object()) continue;
        const std::string command = line.value("command", "");
        if (command == "install") {
            add(line);
        } else if (command == "apply" && line.contains("printers") && line["printers"].is_array()) {
            for (const json& printer : line["printers"]) {
                if (printer.is_object()) add(printer);
            }
        } else if (command == "uninstall" && line.value("exitStatus", -1) == 0) {
            LoggedModel m;
            if (!ModelOf(line.value("choices", json()), m)) continue;
            made.erase(std::remove_if(made.begin(), made.end(), [&](const LoggedModel& x) { return same(x, m); }),
                       made.end());
        }
    }
    return made;
}

}  // namespace tq::cli
