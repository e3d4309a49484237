#include "cli/run_log.h"

#include <filesystem>

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "platform/system_services.h"

namespace tq::cli {

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &t);
#else
    gmtime_r(&t, &utc);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

nlohmann::json ChoicesToJson(const InstallChoices& c) {
    return {{"model", c.model.displayName},
            {"row", c.model.index},
            {"environment", EnvironmentName(c.architecture)},
            {"port", platform::SystemTextToUtf8(c.portName)},
            {"makeDefault", c.makeDefault},
            {"serialPort", kSerialPortItems.at(static_cast<std::size_t>(c.serialPortIndex))},
            {"baud", kBaudTexts.at(static_cast<std::size_t>(c.serial.baud))},
            {"parity", kParityItems.at(static_cast<std::size_t>(c.serial.parity))},
            {"dataBits", kDataBitsTexts.at(static_cast<std::size_t>(c.serial.dataBits))},
            {"stopBits", kStopBitsTexts.at(static_cast<std::size_t>(c.serial.stopBits))},
            {"flow", kFlowControlItems.at(static_cast<std::size_t>(c.serial.flowControl))}};
}

nlohmann::json LogLine(const std::string& time, const std::string& machine, const std::string& command,
                       const nlohmann::json& choices, const InstallReport& report, int exitStatus,
                       const ErrorTextFn& errorText) {
    nlohmann::json steps = nlohmann::json::array();
    for (const auto& s : report.steps) steps.push_back(StepToJson(s, errorText, report.changesKnown));
    return {{"time", time},
            {"machine", machine},
            {"command", command},
            {"choices", choices},
            {"exitStatus", exitStatus},
            {"succeeded", report.Clean()},
            {"changed", report.changesKnown ? nlohmann::json(report.Changed()) : nlohmann::json()},
            {"environment", report.environment},
            {"steps", steps}};
}

std::string LogLineText(const nlohmann::json& line) {
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void AddLogOption(CLI::App& app, std::optional<std::string>& log) {
    app.add_option("--log", log, "Append one JSON line about this run (time, command, choices, each step) to FILE");
}

bool RunLogFile::Open(const std::optional<std::string>& path) {
    if (!path) return true;
    // A UTF-8 path (see utf8_arguments.h), opened by its UTF-16 name on Windows.
    out_ = std::make_unique<std::ofstream>(std::filesystem::u8path(*path), std::ios::app | std::ios::binary);
    if (!*out_) {
        std::cerr << "tqinstall: --log: cannot open '" << *path << "' for appending; nothing was done\n";
        out_.reset();
        return false;
    }
    path_ = path;
    return true;
}

std::string ComputerName() {
    const char* name = std::getenv("COMPUTERNAME");
    return name ? name : "";
}

bool RunLogFile::Write(const std::string& command, const nlohmann::json& choices, const InstallReport& report,
                       int exitStatus) {
    if (!out_) return true;
    return WriteLine(LogLine(UtcTimestamp(std::chrono::system_clock::now()), ComputerName(), command, choices, report,
                             exitStatus, platform::SystemErrorText));
}

bool RunLogFile::WriteLine(const nlohmann::json& line) {
    if (!out_) return true;
    *out_ << LogLineText(line) << std::flush;
    if (!*out_) {
        std::cerr << "tqinstall: --log: could not write to '" << *path_ << "'\n";
        return false;
    }
    return true;
}

}  // namespace tq::cli
