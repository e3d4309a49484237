// The fixed table of the 19 receipt-printer models the setup installs.
#pragma once

#include <cstddef>
#include <string>

namespace tq {

struct ModelEntry {
    int index;                // position in the catalog and in the model list
    const char* displayName;  // driver name and printer name
    const char* gpdBaseName;  // the GPD file is this name + ".GPD"
    const char* dllBaseName;  // the renderer DLL is this name + ".DLL"
    bool listsPlugin;         // dependent files include TQPLG.ini / TQPLG.dll
    int paperWidthMm;         // the paper roll: 58, 80 or 112 mm
    bool hasCutter;           // the printer cuts the paper (GS V)
};

namespace ModelCatalog {

constexpr int kCount = 19;

// The number of rows, 19.
int Count();

// The entry at `index`, or nullptr when the index lies outside 0..18.
const ModelEntry* Row(int index);

}  // namespace ModelCatalog

std::string GpdFileName(const ModelEntry& model);
std::string DllFileName(const ModelEntry& model);

}  // namespace tq
