#include "catalog/model_catalog.h"

namespace tq {
namespace {

// The last two columns, paper width and cutter, are what the model-list labels say.
constexpr ModelEntry kModels[ModelCatalog::kCount] = {
    {0, "TQ-A10(No Cut) Series", "TQA10nocut", "TQRND", false, 80, false},
    {1, "TQ-A10(Cut) Series", "TQA10cut", "TQRND", false, 80, true},
    {2, "TQ-A20(No Cut) Series", "TQA20nocut", "TQRND", false, 80, false},
    {3, "TQ-A20(Cut) Series", "TQA20cut", "TQRND", false, 80, true},
    {4, "TQ-A30 Series", "TQA30", "TQRND", false, 80, true},
    {5, "TQ-A31 Series", "TQA31", "TQRND", true, 80, true},
    {6, "TQ-K30 Series", "TQK30", "TQRND", true, 80, true},
    {7, "TQ-P30 Series", "TQP30", "TQRND", true, 58, false},
    {8, "TQ-A40 Series", "TQA40", "TQRND", true, 80, true},
    {9, "TQ-W10 Series", "TQW10", "TQRND", false, 112, false},
    {10, "TQ-V10 Series", "TQV10", "TQRND", false, 58, false},
    {11, "TQ-V30 Series", "TQV30", "TQRND", true, 80, true},
    {12, "TQ-V40 Series", "TQV40", "TQRND", true, 80, true},
    {13, "TQ-K40 Series", "TQK40", "TQRND", true, 80, true},
    {14, "TQ-P40 Series", "TQP40", "TQRND", true, 80, false},
    {15, "R-V8 Series", "RV8", "TQRND", true, 80, false},
    {16, "R-K8 Series", "RK8", "TQRND", true, 80, false},
    {17, "R-5xK Series", "R5xK", "TQRND", true, 58, false},
    {18, "R-5xP Series", "R5XP", "TQRND", true, 58, false},
};

}  // namespace

int ModelCatalog::Count() { return kCount; }

const ModelEntry* ModelCatalog::Row(int index) {
    if (index < 0 || index >= kCount) return nullptr;
    return &kModels[index];
}

std::string GpdFileName(const ModelEntry& model) { return std::string(model.gpdBaseName) + ".GPD"; }
std::string DllFileName(const ModelEntry& model) { return std::string(model.dllBaseName) + ".DLL"; }

}  // namespace tq
