// The platform layer's OpenXcv and XcvData on the real spooler: adds a Local
// Port named by the argument through XcvData "AddPort" (the input is the
// name as UTF-16LE with its NUL), then asks for the Standard TCP/IP Port
// monitor. Prints one JSON object with what each call answered and whether
// EnumPorts lists the new port.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/names.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xcv_check PORTNAME\n");
        return 2;
    }
    using namespace tq::platform;
    const auto spooler = SystemSpooler();
    const std::string name = argv[1];
    std::vector<std::uint8_t> input;
    for (char c : name) {
        input.push_back(static_cast<std::uint8_t>(c));
        input.push_back(0);
    }
    input.push_back(0);
    input.push_back(0);

    const OpenPrinterResult local = spooler->OpenXcv(",XcvMonitor Local Port");
    XcvAnswer added;
    if (local.call.ok) {
        added = spooler->XcvData(local.handle, "AddPort", input, 0);
        spooler->ClosePrinter(local.handle);
    }
    bool listed = false;
    for (const auto& p : spooler->EnumPorts().ports) listed = listed || SameName(p.name, name);
    const OpenPrinterResult tcp = spooler->OpenXcv(",XcvMonitor Standard TCP/IP Port");
    if (tcp.call.ok) spooler->ClosePrinter(tcp.handle);
    std::printf("{\"openLocal\": %lu, \"addPortCall\": %lu, \"addPortStatus\": %lu, \"listed\": %s, "
                "\"openTcp\": %lu}\n",
                static_cast<unsigned long>(local.call.error), static_cast<unsigned long>(added.call.error),
                static_cast<unsigned long>(added.status), listed ? "true" : "false",
                static_cast<unsigned long>(tcp.call.error));
    return 0;
}
