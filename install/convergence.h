// An installation that tells what it changed: it looks at the machine first
// (the bytes of each file against its destination, the driver registered under
// the model's name, the printer, the registry values), runs the installation,
// and marks each step that changed something. A second identical run changes
// nothing and says so.
#pragma once

#include "install/install_run.h"
#include "platform/spooler.h"

namespace tq {

// Whether a registered driver holds the record the plan registers: the same
// driver, data, config and help files and dependent files (by file name,
// without regard to case; the spooler reports its own full paths), monitor and
// default data type.
bool SameDriverRecord(const platform::InstalledDriver& installed, const platform::DriverRecord& record);

// InstallPrinter, with every step's `changed` set:
//  - a copy changed when its destination did not hold the source's bytes before;
//  - the driver when it was not registered with the same record, or a file changed;
//  - the printer when it was not there (a move to the asked port is the
//    printerPort step's change);
//  - a registry value when it did not hold that text.
InstallReport InstallConverging(const InstallChoices& choices, ProgressSink& sink,
                                const platform::InstallPlatform& platform);

}  // namespace tq
