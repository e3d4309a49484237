#include <gtest/gtest.h>

#include "host/host_probes.h"

namespace tq {
namespace {

struct VersionCase {
    std::uint32_t platform, major, minor;
    int kind;  // -1: no classification
};

TEST(ClassifyOsVersion, FollowsTheVersionTable) {
    const VersionCase cases[] = {
        {1, 4, 0, 1},   {1, 4, 10, 2},  {1, 4, 90, 2},  {1, 4, 3, -1},  {1, 5, 0, -1},  {1, 3, 0, -1},
        {2, 0, 0, 3},   {2, 3, 51, 3},  {2, 4, 0, 3},   {2, 5, 0, 4},   {2, 5, 1, 5},   {2, 5, 2, 6},
        {2, 5, 3, -1},  {2, 6, 0, 7},   {2, 6, 1, 8},   {2, 6, 2, 9},   {2, 6, 3, -1},  {2, 10, 0, -1},
        {2, 7, 0, -1},  {0, 3, 10, 4},  {3, 4, 0, 4},   {0xFFFFFFFF, 0, 0, 4},
        {2, 0xFFFFFFFF, 0, -1},  // unsigned: a huge major is not "0 to 4"
    };
    for (const auto& c : cases) {
        const auto kind = ClassifyOsVersion(c.platform, c.major, c.minor);
        const int got = kind ? static_cast<int>(*kind) : -1;
        EXPECT_EQ(got, c.kind) << c.platform << "/" << c.major << "." << c.minor;
    }
}

TEST(DetectOsKind, KeepsTheHeldKindWithoutAClassification) {
    EXPECT_EQ(DetectOsKindFrom(WinVista, VersionTriple{2, 6, 3}), WinVista);
    EXPECT_EQ(DetectOsKindFrom(Unclassified, VersionTriple{2, 6, 3}), Unclassified);
    EXPECT_EQ(DetectOsKindFrom(WinVista, std::nullopt), WinVista);
    EXPECT_EQ(DetectOsKindFrom(WinVista, VersionTriple{2, 6, 1}), Win7);
}

TEST(DetectArchitecture, IsX64OnlyForAWow64FlagOfExactlyOneOrA64BitProcess) {
    EXPECT_EQ(ArchitectureFrom(false, std::nullopt), Architecture::x86);
    EXPECT_EQ(ArchitectureFrom(false, 0u), Architecture::x86);
    EXPECT_EQ(ArchitectureFrom(false, 1u), Architecture::x64);
    EXPECT_EQ(ArchitectureFrom(false, 2u), Architecture::x86);
    EXPECT_EQ(ArchitectureFrom(true, std::nullopt), Architecture::x64);
    EXPECT_EQ(ArchitectureFrom(true, 0u), Architecture::x64);
}

}  // namespace
}  // namespace tq
