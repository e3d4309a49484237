// Stored (scrambled) labels of the model list and their descrambling.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tq {

struct ScrambledLabel {
    const char* letters;     // capital letters, two for each byte of the label
    std::uint16_t startKey;  // key with which descrambling begins
};

// Drive the key from one byte to the next; the same for every stored text.
constexpr std::uint16_t KeyMultiplier = 52845;
constexpr std::uint16_t KeyAddend = 22719;

// Turns a stored form into its 8-bit text (code page 936): floor(n / 2) bytes
// for n letters. Only the low 16 bits of `key` take part.
std::string DescrambleText(std::string letters, std::uint32_t key);

// The 19 model-list labels in catalog order, and the Printer Name box's first text.
extern const std::array<ScrambledLabel, 19> ModelListLabels;
extern const ScrambledLabel PrinterNameLabel;

}  // namespace tq
