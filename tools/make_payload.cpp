// Writes the sample driver payload of a package folder:
//   make_payload PACKAGE_DIR
// makes "Printer Driver/x86" and "Printer Driver/x64" with a file of every
// name that any model's installation copies, each saying it is a sample. The
// GPD files are readable GPD text naming their model. Built and run on the
// build machine; the names come from the model catalog and the plan.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "install/plan.h"

namespace fs = std::filesystem;

namespace {

const char kReplace[] =
    "It is not a working driver file: a packager replaces it with the printer maker's real file of the same name.";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string GpdText(const std::string& fileName, const std::string& arch, const std::vector<std::string>& models) {
    std::string text = "*% TQSetup SAMPLE PAYLOAD (" + arch + "): this file stands in for " + fileName + ".\r\n";
    text += std::string("*% ") + kReplace + "\r\n";
    text += "*GPDSpecVersion: \"1.0\"\r\n";
    text += "*GPDFileName: \"" + fileName + "\"\r\n";
    if (models.empty()) {
        text += "*% A shared Unidrv resource file, included by the model GPD files.\r\n";
        return text;
    }
    for (const auto& model : models) text += "*ModelName: \"" + model + "\"\r\n";
    text += "*MasterUnits: PAIR(203, 203)\r\n";
    text += "*ResourceDLL: \"UNIRES.DLL\"\r\n";
    text += "*PrinterType: SERIAL\r\n";
    text += "*Include: \"STDNAMES.GPD\"\r\n";
    return text;
}

std::string SampleText(const std::string& fileName, const std::string& arch) {
    return "TQSetup SAMPLE PAYLOAD (" + arch + "): this file stands in for " + fileName + ".\r\n" + kReplace + "\r\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_payload PACKAGE_DIR\n";
        return 2;
    }
    // Every copied name, in first-copied order, with the models whose GPD it is.
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> gpdModels;
    for (int row = 0; row < tq::ModelCatalog::Count(); ++row) {
        const tq::ModelEntry& model = *tq::ModelCatalog::Row(row);
        for (const auto& name : tq::CopiedFileNames(model)) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        }
        gpdModels[tq::GpdFileName(model)].push_back(model.displayName);
    }
    for (const auto arch : {tq::Architecture::x86, tq::Architecture::x64}) {
        std::string folder = tq::SourceFolder(arch);  // "Printer Driver\x86\"
        for (auto& c : folder) {
            if (c == '\\') c = '/';
        }
        const std::string archName = arch == tq::Architecture::x86 ? "x86" : "x64";
        const fs::path dir = fs::path(argv[1]) / folder;
        fs::create_directories(dir);
        for (const auto& name : names) {
            const auto gpd = gpdModels.find(name);
            std::string text;
            if (gpd != gpdModels.end()) {
                text = GpdText(name, archName, gpd->second);
            } else if (EndsWith(name, ".GPD")) {
                text = GpdText(name, archName, {});
            } else {
                text = SampleText(name, archName);
            }
            std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
            out << text;
            if (!out) {
                std::cerr << "make_payload: cannot write " << (dir / name) << "\n";
                return 1;
            }
        }
    }
    return 0;
}
