#include "cli/fleet_output.h"

#include <sstream>

#include "cli/exit_codes.h"
#include "install/printer_state.h"

namespace tq::cli {

nlohmann::json PackageCheckToJson(const std::string& package, const std::vector<PackageFolderCheck>& check) {
    nlohmann::json folders = nlohmann::json::array();
    for (const auto& f : check) {
        folders.push_back({{"folder", f.folder}, {"expected", f.expected.size()}, {"missing", f.missing}});
    }
    return {{"package", package}, {"complete", PackageComplete(check)}, {"folders", folders}};
}

std::string PackageCheckToText(const std::string& package, const std::vector<PackageFolderCheck>& check) {
    std::ostringstream out;
    out << "Package " << package << "\n";
    std::size_t missing = 0;
    for (const auto& f : check) {
        missing += f.missing.size();
        out << "  " << f.folder << ": ";
        if (f.missing.empty()) {
            out << "complete (" << f.expected.size() << (f.expected.size() == 1 ? " file)\n" : " files)\n");
        } else {
            out << f.missing.size() << " of " << f.expected.size() << " files missing:";
            for (const auto& name : f.missing) out << " " << name;
            out << "\n";
        }
    }
    if (missing == 0) {
        out << "The package is complete.\n";
    } else {
        out << "The package is NOT complete: " << missing << " files missing.\n";
    }
    return out.str();
}

nlohmann::json StatusToJson(const MachineStatus& status, const ErrorTextFn& errorText) {
    nlohmann::json models = nlohmann::json::array();
    for (const auto& m : status.models) {
        nlohmann::json printer = nullptr;
        if (m.printer) {
            printer = {{"name", m.printer->name},
                       {"port", m.printer->port},
                       {"driver", m.printer->driver},
                       {"state", printer_state::PrinterStateText(m.printer->status, m.printer->attributes)},
                       {"stateWords", printer_state::PrinterStateWords(m.printer->status, m.printer->attributes)},
                       {"status", m.printer->status},
                       {"jobs", m.printer->jobs}};
        }
        models.push_back({{"row", m.model.index},
                          {"model", m.model.displayName},
                          {"driverEnvironments", m.driverEnvironments},
                          {"printer", printer},
                          {"otherPrinters", m.otherPrinters},
                          {"isDefault", m.isDefault}});
    }
    nlohmann::json failures = nlohmann::json::array();
    for (const auto& f : status.failures) {
        failures.push_back({{"call", f.call}, {"subject", f.subject}, {"error", f.error}, {"message", errorText(f.error)}});
    }
    return {{"models", models},
            {"defaultPrinter", status.defaultPrinter.empty() ? nlohmann::json(nullptr) : nlohmann::json(status.defaultPrinter)},
            {"complete", status.failures.empty()},
            {"failures", failures}};
}

std::string StatusToText(const MachineStatus& status, const ErrorTextFn& errorText) {
    std::ostringstream out;
    int installed = 0;
    for (const auto& m : status.models) {
        if (m.driverEnvironments.empty() && !m.printer && m.otherPrinters.empty()) continue;
        ++installed;
        out << m.model.index << "\t" << m.model.displayName << "\tdriver: ";
        if (m.driverEnvironments.empty()) out << "not registered";
        for (std::size_t i = 0; i < m.driverEnvironments.size(); ++i) out << (i ? ", " : "") << m.driverEnvironments[i];
        out << "\tprinter: ";
        if (m.printer) {
            out << "on " << m.printer->port;
            if (m.isDefault) out << " (default printer)";
            out << ", " << printer_state::PrinterStateText(m.printer->status, m.printer->attributes) << ", " << m.printer->jobs
                << (m.printer->jobs == 1 ? " job waiting" : " jobs waiting");
        } else {
            out << "none";
        }
        for (const auto& other : m.otherPrinters) out << "\talso used by printer \"" << other << "\"";
        out << "\n";
    }
    if (installed == 0) out << "None of the 19 models is installed.\n";
    out << "Default printer: " << (status.defaultPrinter.empty() ? "none" : status.defaultPrinter) << "\n";
    for (const auto& f : status.failures) {
        out << "Could not read: " << f.call << (f.subject.empty() ? "" : " (" + f.subject + ")") << ": error " << f.error;
        const std::string message = errorText(f.error);
        if (!message.empty()) out << ": " << message;
        out << "\n";
    }
    return out.str();
}

int StatusExitStatus(const MachineStatus& status) {
    if (status.failures.empty()) return kExitDone;
    for (const auto& f : status.failures) {
        if (f.error == platform::kErrorAccessDenied) return kExitNotAllowed;
    }
    return kExitFailed;
}

}  // namespace tq::cli
