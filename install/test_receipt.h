// The test receipt: ESC/POS bytes that show what a printer is, what it prints
// on, and whether its cutter and cash drawer work.
#pragma once

#include <string>

namespace tq {

struct ReceiptFacts {
    std::string model;     // the model's display name (the printer's name)
    std::string driver;
    std::string port;
    std::string computer;
    std::string dateTime;  // "2026-12-11 16:05:09"
    std::string version;   // tqinstall's version
    int paperWidthMm = 80;
    bool cut = false;   // end with a cut: the model has a cutter and cutting was not turned off
    int drawerPin = 0;  // 2 or 5: kick the cash drawer on that connector pin; 0: no kick
};

// Text columns of a line on the paper: 32 on 58 mm, 48 on 80 mm, 64 on 112 mm.
int ReceiptColumns(int paperWidthMm);

// The receipt: ESC @, the text lines (none longer than the paper's columns, a
// ruler at full width, the facts, the printable ASCII characters), the drawer
// kick (ESC p m 25 250, m = 0 for pin 2, 1 for pin 5) when asked, a feed
// (ESC d 4) and, when `cut`, a partial cut (GS V 1). Bytes of the facts outside
// printable ASCII are printed as '?', so a line keeps its width on any printer.
std::string BuildTestReceipt(const ReceiptFacts& facts);

}  // namespace tq
