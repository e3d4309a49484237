#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "catalog/descrambler.h"
#include "catalog/model_catalog.h"

namespace tq {
namespace {

TEST(ModelCatalog, HasNineteenDistinctRowsIndexedByPosition) {
    ASSERT_EQ(ModelCatalog::Count(), 19);
    std::set<std::string> names, gpds;
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        const ModelEntry* m = ModelCatalog::Row(row);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->index, row);
        EXPECT_EQ(DllFileName(*m), "TQRND.DLL");
        EXPECT_EQ(std::string(m->displayName).find(','), std::string::npos) << row;
        names.insert(m->displayName);
        gpds.insert(m->gpdBaseName);
    }
    EXPECT_EQ(names.size(), 19u);
    EXPECT_EQ(gpds.size(), 19u);
}

TEST(ModelCatalog, PluginPairIsListedForRows5To8And11To18) {
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        const bool expected = (row >= 5 && row <= 8) || row >= 11;
        EXPECT_EQ(ModelCatalog::Row(row)->listsPlugin, expected) << "row " << row;
    }
}

TEST(ModelCatalog, NamesKeepTheirExactCase) {
    EXPECT_EQ(GpdFileName(*ModelCatalog::Row(0)), "TQA10nocut.GPD");
    EXPECT_STREQ(ModelCatalog::Row(1)->displayName, "TQ-A10(Cut) Series");
    EXPECT_STREQ(ModelCatalog::Row(17)->gpdBaseName, "R5xK");
    EXPECT_STREQ(ModelCatalog::Row(18)->gpdBaseName, "R5XP");
    EXPECT_STREQ(ModelCatalog::Row(18)->displayName, "R-5xP Series");
}

TEST(ModelCatalog, RowOutsideTheTableGivesNoEntry) {
    for (int bad : {-1, 19, 1000, -2147483647 - 1}) EXPECT_EQ(ModelCatalog::Row(bad), nullptr) << bad;
}

// Builds a stored form from bytes, as the label tool does, for test inputs.
std::string Pairs(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) {
        s += static_cast<char>('A' + b / 26);
        s += static_cast<char>('A' + b % 26);
    }
    return s;
}

TEST(DescrambleText, LengthIsHalfTheLettersRoundedDown) {
    EXPECT_EQ(DescrambleText("", 0x1234), "");
    EXPECT_EQ(DescrambleText("Q", 0x1234), "");
    EXPECT_EQ(DescrambleText("ABC", 0x1234).size(), 1u);
    EXPECT_EQ(DescrambleText("ABC", 0x1234), DescrambleText("AB", 0x1234));
}

TEST(DescrambleText, PairsFormBase26BytesModulo256) {
    // With a key whose high byte is 0 the first byte is the scrambled byte itself.
    const struct { const char* pair; unsigned char byte; } cases[] = {
        {"AA", 0}, {"AZ", 25}, {"BA", 26}, {"JV", 255}, {"KA", 4}, {"ZZ", 163},
    };
    for (const auto& c : cases) {
        const std::string out = DescrambleText(c.pair, 0x00FF);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(static_cast<unsigned char>(out[0]), c.byte) << c.pair;
    }
}

TEST(DescrambleText, FirstByteIsXoredWithTheKeysHighByte) {
    EXPECT_EQ(static_cast<unsigned char>(DescrambleText("JV", 0xA500)[0]), 255 ^ 0xA5);
    EXPECT_EQ(static_cast<unsigned char>(DescrambleText("AA", 0x7F12)[0]), 0x7F);
}

TEST(DescrambleText, OnlyTheLow16KeyBitsCount) {
    const std::string letters = ModelListLabels[3].letters;
    EXPECT_EQ(DescrambleText(letters, 0xABCD0000u | ModelListLabels[3].startKey),
              DescrambleText(letters, ModelListLabels[3].startKey));
}

TEST(DescrambleText, KeyMovesOnWithTheScrambledByte) {
    // Second byte: c1 XOR high byte of ((k0 + c0) * M + A).
    const std::uint16_t k0 = 0x1234;
    const unsigned c0 = 200, c1 = 77;
    const std::uint16_t k1 = static_cast<std::uint16_t>((k0 + c0) * KeyMultiplier + KeyAddend);
    const std::string out = DescrambleText(Pairs({static_cast<int>(c0), static_cast<int>(c1)}), k0);
    EXPECT_EQ(static_cast<unsigned char>(out[1]), (c1 ^ (k1 >> 8)) & 0xFF);
}

TEST(DescrambleText, ResultBytesDependOnlyOnEarlierPairs) {
    const std::string full = PrinterNameLabel.letters;
    const std::string whole = DescrambleText(full, PrinterNameLabel.startKey);
    const std::string cut = DescrambleText(full.substr(0, 8), PrinterNameLabel.startKey);
    EXPECT_EQ(cut, whole.substr(0, 4));

    std::string changed = full;
    changed[6] = changed[6] == 'A' ? 'B' : 'A';  // pair 3
    const std::string after = DescrambleText(changed, PrinterNameLabel.startKey);
    EXPECT_EQ(after.substr(0, 3), whole.substr(0, 3));
    EXPECT_NE(after[3], whole[3]);
}

TEST(DescrambleText, CharactersOutsideAToZEnterTheSameFormula) {
    // '@' is one below 'A': v = 26 * -1 + 0 = -26, 230 modulo 256.
    EXPECT_EQ(static_cast<unsigned char>(DescrambleText("@A", 0)[0]), 230);
}

// The plain texts the stored forms were made from (code page 936).
const char* const kPlainTexts[20] = {
#include "label_plaintexts.inc"
};

TEST(StoredLabels, EachStoredFormGivesItsPlainTextBack) {
    for (int row = 0; row < 19; ++row) {
        const ScrambledLabel& label = ModelListLabels[row];
        EXPECT_EQ(DescrambleText(label.letters, label.startKey), kPlainTexts[row]) << "row " << row;
    }
    EXPECT_EQ(DescrambleText(PrinterNameLabel.letters, PrinterNameLabel.startKey), kPlainTexts[19]);
}

// Each row's paper width and cutter are what its model-list label says: the
// width as "NNmm"; a cutter where the label names 切刀 or 自动切刀, none where it
// says 无切刀 or names no cutter.
TEST(ModelCatalog, PaperWidthAndCutterAreWhatTheLabelsSay) {
    const std::string cutter = "\xC7\xD0\xB5\xB6";  // 切刀, also inside 自动切刀
    const std::string noCutter = "\xCE\xDE" + cutter;  // 无切刀
    for (int row = 0; row < ModelCatalog::Count(); ++row) {
        const ScrambledLabel& label = ModelListLabels[row];
        const std::string text = DescrambleText(label.letters, label.startKey);
        const std::size_t mm = text.find("mm");
        ASSERT_NE(mm, std::string::npos) << text;
        std::size_t digits = mm;
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1]))) --digits;
        const ModelEntry& model = *ModelCatalog::Row(row);
        EXPECT_EQ(model.paperWidthMm, std::stoi(text.substr(digits, mm - digits))) << "row " << row;
        const bool labelCuts = text.find(cutter) != std::string::npos && text.find(noCutter) == std::string::npos;
        EXPECT_EQ(model.hasCutter, labelCuts) << "row " << row;
        EXPECT_TRUE(model.paperWidthMm == 58 || model.paperWidthMm == 80 || model.paperWidthMm == 112) << row;
    }
}

TEST(StoredLabels, AreCapitalLetterPairsWithDistinctKeys) {
    std::set<std::uint16_t> keys;
    auto check = [&](const ScrambledLabel& label) {
        const std::string letters = label.letters;
        EXPECT_EQ(letters.size() % 2, 0u);
        for (std::size_t i = 0; i < letters.size(); ++i) {
            EXPECT_TRUE(letters[i] >= 'A' && letters[i] <= (i % 2 == 0 ? 'J' : 'Z')) << letters;
        }
        keys.insert(label.startKey);
    };
    for (const auto& label : ModelListLabels) check(label);
    check(PrinterNameLabel);
    EXPECT_EQ(keys.size(), 20u);
}

}  // namespace
}  // namespace tq
