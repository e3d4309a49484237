#include "catalog/descrambler.h"

namespace tq {

std::string DescrambleText(std::string letters, std::uint32_t key) {
    const std::size_t m = letters.size() / 2;
    std::string out(m, '\0');
    std::uint16_t k = static_cast<std::uint16_t>(key & 0xFFFFu);
    for (std::size_t i = 0; i < m; ++i) {
        // Two letters form one base-26 number; the first is the more significant digit.
        const unsigned hi = static_cast<unsigned char>(letters[2 * i]);
        const unsigned lo = static_cast<unsigned char>(letters[2 * i + 1]);
        const unsigned v = 26u * (hi - 'A') + (lo - 'A');
        const std::uint8_t c = static_cast<std::uint8_t>(v & 0xFFu);
        out[i] = static_cast<char>(c ^ static_cast<std::uint8_t>(k >> 8));
        // The scrambled byte, not the result byte, moves the key on.
        k = static_cast<std::uint16_t>((static_cast<std::uint32_t>(k + c) * KeyMultiplier + KeyAddend) & 0xFFFFu);
    }
    return out;
}

}  // namespace tq
