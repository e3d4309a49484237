#include "install/printer_port.h"

#include <algorithm>

#include "platform/names.h"
#include "install/step_building.h"

namespace tq {

using platform::SameName;

StepReport BringPrinterToPort(platform::Spooler& spooler, const std::string& printerName, const std::string& port) {
    return steps::RunStep(StepKind::PrinterPort, printerName, port, [&](StepReport& step) {
        const platform::OpenPrinterResult open = spooler.OpenPrinter(printerName);
        if (!open.call.ok) return open.call;
        platform::CallResult result = platform::CallResult::Success();
        const platform::PrinterDetails details = spooler.GetPrinter(open.handle);
        if (!details.call.ok) {
            result = details.call;
        } else if (!SameName(details.printer.port, port)) {
            step.detail = details.printer.port;
            result = spooler.SetPrinterPort(open.handle, port);
            if (result.ok) step.outcome = StepOutcome::Moved;
        }
        spooler.ClosePrinter(open.handle);
        return result;
    });
}

bool RunLeftPrinter(const InstallReport& report) {
    return std::any_of(report.steps.begin(), report.steps.end(), [](const StepReport& s) {
        return s.kind == StepKind::CreatePrinter &&
               (s.outcome == StepOutcome::Succeeded || s.outcome == StepOutcome::AlreadyThere);
    });
}

}  // namespace tq
