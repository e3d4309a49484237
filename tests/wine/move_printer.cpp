// Moves a printer with tqinstall's own step over the Win32 spooler, for the
// Wine tests (Wine's AddPrinterA already puts a re-added printer on the new
// port, so tqinstall install never needs SetPrinterA there):
//   move_printer PRINTER PORT   prints {"outcome", "detail", "error"}
#include <cstdio>
#include <nlohmann/json.hpp>

#include "install/printer_port.h"
#include "install/machine.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: move_printer PRINTER PORT\n");
        return 2;
    }
    const auto machine = tq::Machine::Open();
    const tq::StepReport step = tq::BringPrinterToPort(machine->spooler(), argv[1], argv[2]);
    const nlohmann::json out = {
        {"outcome", tq::StepOutcomeName(step.outcome)}, {"detail", step.detail}, {"error", step.error}};
    std::printf("%s\n", out.dump().c_str());
    return tq::IsFailure(step.outcome) ? 1 : 0;
}
