// A printer's and a print job's state in words, from the spooler's status bits
// (PRINTER_INFO_2 Status and Attributes, JOB_INFO_1 Status). The one table of
// these bits and words; plain values, no Win32 header needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq::printer_state {

struct BitWord {
    std::uint32_t bit;
    const char* word;
    bool trouble;  // the printer or job cannot go on printing while the bit is set
};

// PRINTER_STATUS_* bits, in their numeric order.
constexpr std::uint32_t kPrinterPaused = 0x1;
constexpr std::uint32_t kPrinterError = 0x2;
constexpr std::uint32_t kPrinterPaperOut = 0x10;
constexpr std::uint32_t kPrinterOffline = 0x80;
constexpr std::uint32_t kPrinterNotAvailable = 0x1000;
constexpr std::uint32_t kPrinterDoorOpen = 0x400000;

constexpr BitWord kPrinterStatusWords[] = {
    {0x1, "paused", true},
    {0x2, "error", true},
    {0x4, "pending deletion", true},
    {0x8, "paper jam", true},
    {0x10, "paper out", true},
    {0x20, "manual feed", false},
    {0x40, "paper problem", true},
    {0x80, "offline", true},
    {0x100, "I/O active", false},
    {0x200, "busy", false},
    {0x400, "printing", false},
    {0x800, "output bin full", true},
    {0x1000, "not available", true},
    {0x2000, "waiting", false},
    {0x4000, "processing", false},
    {0x8000, "initializing", false},
    {0x10000, "warming up", false},
    {0x20000, "toner low", false},
    {0x40000, "no toner", true},
    {0x80000, "page punt", false},
    {0x100000, "user intervention", true},
    {0x200000, "out of memory", true},
    {0x400000, "door open", true},
    {0x800000, "server unknown", true},
    {0x1000000, "power save", false},
};

// PRINTER_ATTRIBUTE_WORK_OFFLINE: "Use Printer Offline", set by a person or by
// the USB port monitor when the device is gone.
constexpr std::uint32_t kAttributeWorkOffline = 0x400;
constexpr const char* kWorkOfflineWord = "working offline";

// JOB_STATUS_* bits, in their numeric order.
constexpr std::uint32_t kJobError = 0x2;
constexpr std::uint32_t kJobDeleting = 0x4;
constexpr std::uint32_t kJobPrinted = 0x80;
constexpr std::uint32_t kJobDeleted = 0x100;
constexpr std::uint32_t kJobComplete = 0x1000;

constexpr BitWord kJobStatusWords[] = {
    {0x1, "paused", true},
    {0x2, "error", true},
    {0x4, "deleting", true},
    {0x8, "spooling", false},
    {0x10, "printing", false},
    {0x20, "offline", true},
    {0x40, "paper out", true},
    {0x80, "printed", false},
    {0x100, "deleted", true},
    {0x200, "blocked", true},
    {0x400, "user intervention", true},
    {0x800, "restarting", false},
    {0x1000, "complete", false},
    {0x2000, "retained", false},
    {0x4000, "rendering locally", false},
};

template <std::size_t N>
std::vector<std::string> WordsOf(const BitWord (&table)[N], std::uint32_t bits) {
    std::vector<std::string> words;
    std::uint32_t known = 0;
    for (const BitWord& entry : table) {
        known |= entry.bit;
        if (bits & entry.bit) words.emplace_back(entry.word);
    }
    if (bits & ~known) {
        char hex[16];
        static const char digits[] = "0123456789ABCDEF";
        std::uint32_t rest = bits & ~known;
        int n = 0;
        for (int shift = 28; shift >= 0; shift -= 4) hex[n++] = digits[(rest >> shift) & 0xF];
        words.push_back("other status 0x" + std::string(hex, static_cast<std::size_t>(n)));
    }
    return words;
}

template <std::size_t N>
bool AnyTrouble(const BitWord (&table)[N], std::uint32_t bits) {
    for (const BitWord& entry : table) {
        if ((bits & entry.bit) && entry.trouble) return true;
    }
    return false;
}

// The printer's state as words: "offline", "paper out", ...; "working offline"
// for the attribute. Empty when the printer reports nothing (ready).
inline std::vector<std::string> PrinterWords(std::uint32_t status, std::uint32_t attributes) {
    std::vector<std::string> words = WordsOf(kPrinterStatusWords, status);
    if (attributes & kAttributeWorkOffline) words.emplace_back(kWorkOfflineWord);
    return words;
}

// True when the printer reports a state in which it cannot print.
inline bool PrinterInTrouble(std::uint32_t status, std::uint32_t attributes) {
    return AnyTrouble(kPrinterStatusWords, status) || (attributes & kAttributeWorkOffline) != 0;
}

inline std::vector<std::string> JobWords(std::uint32_t status) { return WordsOf(kJobStatusWords, status); }

// True when the job is held up or was failed: paused, error, offline, paper out, deleted, ...
inline bool JobInTrouble(std::uint32_t status) { return AnyTrouble(kJobStatusWords, status); }

// Words joined with ", ", or `none` when there are none ("ready" for a printer).
inline std::string Joined(const std::vector<std::string>& words, const char* none) {
    if (words.empty()) return none;
    std::string text;
    for (const auto& w : words) text += (text.empty() ? "" : ", ") + w;
    return text;
}

// The printer's state as words, "ready" when it reports nothing.
inline std::vector<std::string> PrinterStateWords(std::uint32_t status, std::uint32_t attributes) {
    std::vector<std::string> words = PrinterWords(status, attributes);
    if (words.empty()) words.emplace_back("ready");
    return words;
}

// The printer's state in one text: "ready", or "offline, paper out".
inline std::string PrinterStateText(std::uint32_t status, std::uint32_t attributes) {
    return Joined(PrinterStateWords(status, attributes), "ready");
}

}  // namespace tq::printer_state
