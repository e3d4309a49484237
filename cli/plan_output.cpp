#include "cli/plan_output.h"

#include <sstream>

namespace tq::cli {
namespace {

nlohmann::json RegistryToJson(const std::optional<RegistryWrite>& w) {
    if (!w) return nullptr;
    return {{"root", RegistryRootName(w->root)}, {"keyPath", w->keyPath}, {"valueName", w->valueName},
            {"data", w->data}};
}

void RegistryToText(std::ostream& out, const char* title, const std::optional<RegistryWrite>& w) {
    out << title << ": ";
    if (!w) {
        out << "(none)\n";
        return;
    }
    out << RegistryRootName(w->root) << "\\" << w->keyPath << "\n    " << w->valueName << " = \"" << w->data
        << "\"\n";
}

}  // namespace

nlohmann::json PlanToJson(const InstallPlan& plan) {
    nlohmann::json copies = nlohmann::json::array();
    for (const auto& c : plan.copies) {
        copies.push_back({{"source", c.source},
                          {"destination", c.destination},
                          {"progressAfter", c.progressAfter ? nlohmann::json(*c.progressAfter) : nullptr}});
    }
    const DriverRecord& d = plan.driver;
    return {
        {"environment", plan.environment},
        {"copies", copies},
        {"driver",
         {{"cVersion", d.cVersion},
          {"pName", d.pName},
          {"pEnvironment", d.pEnvironment},
          {"pDriverPath", d.pDriverPath},
          {"pDataFile", d.pDataFile},
          {"pConfigFile", d.pConfigFile},
          {"pHelpFile", d.pHelpFile},
          {"pDependentFiles", DependentFileEntries(d.pDependentFiles)},
          {"pMonitorName", d.pMonitorName},
          {"pDefaultDataType", d.pDefaultDataType}}},
        {"printer",
         {{"pPrinterName", plan.printer.pPrinterName},
          {"pPortName", plan.printer.pPortName},
          {"pDriverName", plan.printer.pDriverName},
          {"pPrintProcessor", plan.printer.pPrintProcessor},
          {"pDatatype", plan.printer.pDatatype}}},
        {"defaultPrinter", RegistryToJson(plan.defaultPrinter)},
        {"portSettings", RegistryToJson(plan.portSettings)},
        {"progress", kProgressPositions},
    };
}

std::string PlanToText(const InstallPlan& plan) {
    std::ostringstream out;
    out << "Environment: " << plan.environment << "\n";
    out << "Copies:\n";
    for (const auto& c : plan.copies) {
        out << "  " << c.source << " -> " << c.destination;
        if (c.progressAfter) out << "  (progress " << *c.progressAfter << ")";
        out << "\n";
    }
    const DriverRecord& d = plan.driver;
    out << "Driver:\n"
        << "  cVersion         " << d.cVersion << "\n"
        << "  pName            " << d.pName << "\n"
        << "  pEnvironment     " << d.pEnvironment << "\n"
        << "  pDriverPath      " << d.pDriverPath << "\n"
        << "  pDataFile        " << d.pDataFile << "\n"
        << "  pConfigFile      " << d.pConfigFile << "\n"
        << "  pHelpFile        " << d.pHelpFile << "\n"
        << "  pDependentFiles ";
    for (const auto& e : DependentFileEntries(d.pDependentFiles)) out << " " << e;
    out << "\n"
        << "  pMonitorName     \"" << d.pMonitorName << "\"\n"
        << "  pDefaultDataType " << d.pDefaultDataType << "\n";
    out << "Printer:\n"
        << "  pPrinterName     " << plan.printer.pPrinterName << "\n"
        << "  pPortName        " << plan.printer.pPortName << "\n"
        << "  pDriverName      " << plan.printer.pDriverName << "\n"
        << "  pPrintProcessor  " << plan.printer.pPrintProcessor << "\n"
        << "  pDatatype        " << plan.printer.pDatatype << "\n";
    RegistryToText(out, "Default printer", plan.defaultPrinter);
    RegistryToText(out, "Port settings", plan.portSettings);
    out << "Progress:";
    for (int p : kProgressPositions) out << " " << p;
    out << "\n";
    return out.str();
}

nlohmann::json ModelsToJson() {
    nlohmann::json rows = nlohmann::json::array();
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        const ModelEntry& m = *ModelCatalog::Row(row);
        rows.push_back({{"row", m.index},
                        {"displayName", m.displayName},
                        {"gpdFile", GpdFileName(m)},
                        {"dllFile", DllFileName(m)},
                        {"listsPlugin", m.listsPlugin},
                        {"paperWidthMm", m.paperWidthMm},
                        {"cutter", m.hasCutter}});
    }
    return rows;
}

std::string ModelsToText() {
    std::ostringstream out;
    out << "Row  Display name            GPD file         DLL file   Plug-in  Paper   Cutter\n";
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        const ModelEntry& m = *ModelCatalog::Row(row);
        char line[160];
        std::snprintf(line, sizeof line, "%3d  %-22s  %-15s  %-9s  %-7s  %3d mm  %s\n", m.index,
                      m.displayName, GpdFileName(m).c_str(), DllFileName(m).c_str(), m.listsPlugin ? "yes" : "no",
                      m.paperWidthMm, m.hasCutter ? "yes" : "no");
        out << line;
    }
    return out.str();
}

}  // namespace tq::cli
