#include "install/test_receipt.h"

#include <algorithm>

namespace tq {
namespace {

constexpr char ESC = 0x1B;
constexpr char GS = 0x1D;
constexpr char LF = 0x0A;
constexpr std::size_t kLabelWidth = 10;  // "Computer: "

std::string Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c < 0x20 || c > 0x7E) c = '?';
    }
    return out;
}

// "Label:    value", the value wrapped onto indented lines of at most `columns`.
void AddField(std::string& out, const std::string& label, const std::string& value, std::size_t columns) {
    std::string head = label + ":";
    head.resize(kLabelWidth, ' ');
    const std::size_t room = columns - kLabelWidth;
    const std::string text = Printable(value);
    std::size_t at = 0;
    do {
        out += (at == 0 ? head : std::string(kLabelWidth, ' ')) + text.substr(at, room) + LF;
        at += room;
    } while (at < text.size());
}

}  // namespace

int ReceiptColumns(int paperWidthMm) {
    if (paperWidthMm <= 58) return 32;
    if (paperWidthMm <= 80) return 48;
    return 64;
}

std::string BuildTestReceipt(const ReceiptFacts& f) {
    const std::size_t columns = static_cast<std::size_t>(ReceiptColumns(f.paperWidthMm));
    std::string out;
    out += {ESC, '@'};                              // initialise
    out += {ESC, 'a', 1, ESC, 'E', 1};              // centred, bold
    out += std::string("TEST RECEIPT") + LF;
    out += {ESC, 'E', 0, ESC, 'a', 0};              // plain, left
    out += std::string(columns, '=') + LF;
    AddField(out, "Model", f.model, columns);
    AddField(out, "Driver", f.driver, columns);
    AddField(out, "Port", f.port, columns);
    AddField(out, "Computer", f.computer, columns);
    AddField(out, "Time", f.dateTime, columns);
    AddField(out, "Version", "tqinstall " + f.version, columns);
    AddField(out, "Paper",
             std::to_string(f.paperWidthMm) + " mm, " + (f.cut ? "cut" : "no cut") +
                 (f.drawerPin ? ", drawer " + std::to_string(f.drawerPin) : ""),
             columns);
    // The ruler: the column numbers' last digits across the whole width.
    std::string ruler;
    for (std::size_t c = 1; c <= columns; ++c) ruler += static_cast<char>('0' + c % 10);
    out += ruler + LF;
    std::string ascii;
    for (char c = 0x20; c < 0x7F; ++c) ascii += c;
    for (std::size_t at = 0; at < ascii.size(); at += columns) out += ascii.substr(at, columns) + LF;
    out += std::string(columns, '=') + LF;
    if (f.drawerPin == 2 || f.drawerPin == 5) {
        out += {ESC, 'p', static_cast<char>(f.drawerPin == 2 ? 0 : 1), 25, static_cast<char>(250)};
    }
    out += {ESC, 'd', 4};  // feed past the tear bar or the cutter
    if (f.cut) out += {GS, 'V', 1};
    return out;
}

}  // namespace tq
