#include "install/printer_port.h"

#include <algorithm>

#include "install/names.h"
#include "install/step_building.h"

namespace tq {

StepReport BringPrinterToPort(platform::Spooler& spooler, const std::string& printerName, const std::string& port) {
    StepReport step = steps::Step(StepKind::PrinterPort, printerName, port);
    const steps::StepTimer timer;
    const platform::OpenPrinterResult open = spooler.OpenPrinter(printerName);
    if (!open.call.ok) {
        steps::SetFailure(step, open.call);
    } else {
        const platform::PrinterDetails details = spooler.GetPrinter(open.handle);
        if (!details.call.ok) {
            steps::SetFailure(step, details.call);
        } else if (!SameName(details.printer.port, port)) {
            step.detail = details.printer.port;
            const platform::CallResult moved = spooler.SetPrinterPort(open.handle, port);
            if (moved.ok) {
                step.outcome = StepOutcome::Moved;
            } else {
                steps::SetFailure(step, moved);
            }
        }
        spooler.ClosePrinter(open.handle);
    }
    step.durationMs = timer.ElapsedMs();
    return step;
}

bool RunLeftPrinter(const InstallReport& report) {
    return std::any_of(report.steps.begin(), report.steps.end(), [](const StepReport& s) {
        return s.kind == StepKind::CreatePrinter &&
               (s.outcome == StepOutcome::Succeeded || s.outcome == StepOutcome::AlreadyThere);
    });
}

}  // namespace tq
