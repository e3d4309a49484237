// tqinstall's step after the run for a printer that existed already: the run
// registers the driver again, but an existing printer keeps its port, so it is
// moved to the asked one when it is elsewhere.
#pragma once

#include <string>

#include "install/install_run.h"

namespace tq {

// OpenPrinterA, GetPrinterA, and SetPrinterA when the printer's port is not
// `port` (ports compared without regard to case), then ClosePrinter. The step
// is Succeeded when the printer was on the port already, Moved (from `detail`)
// when it was moved.
StepReport BringPrinterToPort(platform::Spooler& spooler, const std::string& printerName, const std::string& port);

// Whether the run left a printer for BringPrinterToPort to look at: its
// createPrinter step succeeded or found the printer there already.
bool RunLeftPrinter(const InstallReport& report);

}  // namespace tq
