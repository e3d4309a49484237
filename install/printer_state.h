// A printer's state in words, from PRINTER_INFO_2's Status bits.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tq {

struct PrinterStatusBit {
    std::uint32_t bit;  // PRINTER_STATUS_*
    const char* word;
};

// The bits Windows defines, in their order.
inline constexpr std::array<PrinterStatusBit, 25> kPrinterStatusBits = {{
    {0x00000001, "paused"},
    {0x00000002, "error"},
    {0x00000004, "being deleted"},
    {0x00000008, "paper jam"},
    {0x00000010, "paper out"},
    {0x00000020, "manual feed"},
    {0x00000040, "paper problem"},
    {0x00000080, "offline"},
    {0x00000100, "I/O active"},
    {0x00000200, "busy"},
    {0x00000400, "printing"},
    {0x00000800, "output bin full"},
    {0x00001000, "not available"},
    {0x00002000, "waiting"},
    {0x00004000, "processing"},
    {0x00008000, "initializing"},
    {0x00010000, "warming up"},
    {0x00020000, "toner low"},
    {0x00040000, "no toner"},
    {0x00080000, "page punt"},
    {0x00100000, "needs the user's attention"},
    {0x00200000, "out of memory"},
    {0x00400000, "door open"},
    {0x00800000, "server unknown"},
    {0x01000000, "power save"},
}};

// "ready" for no bits; else one word per bit set, an unknown bit as "status 0x...".
inline std::vector<std::string> PrinterStateWords(std::uint32_t status) {
    if (status == 0) return {"ready"};
    std::vector<std::string> words;
    std::uint32_t known = 0;
    for (const auto& b : kPrinterStatusBits) {
        known |= b.bit;
        if (status & b.bit) words.push_back(b.word);
    }
    if (status & ~known) {
        char text[32];
        std::snprintf(text, sizeof text, "status 0x%08X", static_cast<unsigned>(status & ~known));
        words.push_back(text);
    }
    return words;
}

// The words joined with ", ": "ready", "paused, paper out".
inline std::string PrinterStateText(std::uint32_t status) {
    std::string text;
    for (const auto& word : PrinterStateWords(status)) text += (text.empty() ? "" : ", ") + word;
    return text;
}

// Whether the bits say the printer cannot print now (anything but the
// harmless activity bits: I/O active, busy, printing, processing, warming up,
// waiting, initializing, power save, toner low).
inline bool PrinterStateIsTrouble(std::uint32_t status) {
    constexpr std::uint32_t harmless = 0x00000100 | 0x00000200 | 0x00000400 | 0x00004000 | 0x00010000 |
                                       0x00002000 | 0x00008000 | 0x01000000 | 0x00020000;
    return (status & ~harmless) != 0;
}

}  // namespace tq
