// One installation carried out on the machine: copies, driver registration,
// printer creation and the optional registry values, with progress positions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/plan.h"
#include "platform/progress_sink.h"
#include "platform/install_platform.h"

namespace tq {

using platform::ProgressSink;

// The message shown when a registry value cannot be written (code page 936).
extern const char kRegistryFailureMessage[];

enum class StepKind {
    DriverDirectory,  // GetPrinterDriverDirectoryA
    CopyFile,         // one CopyFileA of the plan
    RegisterDriver,   // AddPrinterDriverA
    CreatePrinter,    // AddPrinterA
    DefaultPrinter,   // the "Device" value
    PortSettings,     // the COM port's line settings value
    ClosePrinter,     // ClosePrinter
    // tqinstall's steps around the run: an existing printer brought to the
    // asked port, and the steps of an uninstallation.
    PrinterPort,          // GetPrinterA, and SetPrinterA when the port differs
    DeletePrinter,        // DeletePrinter
    RemoveDefaultPrinter, // the "Device" value, when it names the printer
    DeleteDriver,         // DeletePrinterDriverA
    RemoveFile,           // one DeleteFileA in the driver directory
    NetworkPort,          // a Standard TCP/IP port made (XcvData "AddPort") or found
};

enum class StepOutcome {
    Succeeded,          // done (a registry value: written)
    AlreadyThere,       // the printer existed already; counts as success
    NotNeeded,          // nothing to do: a value not planned, no printer handle to close
    Failed,             // the call failed; `error` says why
    NoDriverDirectory,  // the spooler reported no driver directory (a copy: not attempted)
    KeyNotOpened,       // a registry value: its key could not be opened for writing
    NotWritten,         // a registry value: the key opened but the value was not written
    Moved,              // the printer was moved to the asked port (from `detail`)
    NotThere,           // nothing to remove; counts as success
    Kept,               // a file left in place: the driver named in `detail` still uses it
    InUse,              // a driver not deleted: the printers named in `detail` still use it
    NoPortMonitor,      // a network port not made: the spooler has no Standard TCP/IP Port monitor
    PortDiffers,        // a network port of that name is set up otherwise (`detail`); left as it is
};

struct StepReport {
    StepKind kind;
    std::string subject;  // file name, driver or printer name, value name, environment
    std::string target;   // copy destination, port, registry key, driver directory
    std::string source;   // a copy's source file (relative to the current directory)
    std::string detail;   // the port a printer was moved from; who still uses what was kept
    StepOutcome outcome = StepOutcome::Succeeded;
    platform::ErrorCode error = platform::kErrorSuccess;
    std::int64_t durationMs = 0;
    // Whether the step changed the machine (a copy of bytes that were there
    // already, a value that held that text: no). Set by the runs that look
    // before they act: InstallConverging and UninstallModel.
    bool changed = false;
};

// The report of a run: an installation, or an uninstallation.
struct InstallReport {
    std::string environment;
    std::string driverDirectory;   // as the spooler reported it; may be empty
    std::vector<StepReport> steps;  // in the order the run took them
    // Whether the run looked before it acted, so that the steps' `changed` tell
    // (InstallConverging, UninstallModel); otherwise they say nothing.
    bool changesKnown = false;

    // True when no step failed (an existing printer and unplanned values are fine).
    bool Clean() const;
    // True when a step changed the machine.
    bool Changed() const;
};

bool IsFailure(StepOutcome outcome);
const char* StepKindName(StepKind kind);          // "driverDirectory", "copyFile", ...
const char* StepOutcomeName(StepOutcome outcome);  // "succeeded", "alreadyThere", ...

// The spooler's driver directory for the architecture's environment, read into
// a zero-filled 255-byte buffer: whatever the call leaves there, even on failure.
struct DriverDirectoryAnswer {
    std::string directory;
    platform::CallResult call;
};
DriverDirectoryAnswer QueryDriverDirectory(platform::Spooler& spooler, Architecture architecture);

// Carries out one installation. The run never stops early and undoes nothing;
// every step's outcome goes into the report. A registry value that cannot be
// written is also shown once through `platform.messages`. Throws PlanError for
// a choice outside its table before anything is copied.
InstallReport InstallPrinterDriver(const InstallChoices& choices, ProgressSink& sink,
                                   const platform::InstallPlatform& platform);

// An installation as both front ends run it: InstallPrinterDriver, then, when
// the run left a printer (made or found), that printer brought to the chosen
// port (BringPrinterToPort: a printer that existed on another port is moved,
// and the report says from where).
InstallReport InstallPrinter(const InstallChoices& choices, ProgressSink& sink,
                             const platform::InstallPlatform& platform);

}  // namespace tq
