// The words for each step kind, in one table, for every place that describes
// a step: tqinstall's text report (title and outcome), the JSON report and the
// log line (the step's name), and the wizard's failure message (what failed
// and what to do).
#pragma once

#include <functional>
#include <string>

#include "install/install_run.h"

namespace tq {

// The system's message for an error code (FormatMessage), empty when unknown.
using ErrorTextFn = std::function<std::string(platform::ErrorCode)>;

// What a person can do about a failed step, beyond what the error tells.
enum class Remedy {
    None,
    StartSpooler,     // make sure the Print Spooler service runs
    CompletePackage,  // start from the delivered folder, with every driver file
    SetDefaultByHand, // make the printer the default printer in the Control Panel
    SetPortByHand,    // set the port's line settings in the Device Manager
};

struct StepWords {
    StepKind kind;
    const char* name;  // "driverDirectory", "copyFile", ... (JSON and log)
    // What was attempted: "Copy <source> to <target>".
    std::string (*title)(const StepReport& step);
    // Its outcome when it succeeded: "done", or "written" for a registry value.
    const char* done;
    // Its outcome when there was nothing to do.
    const char* notNeeded;
    // The sentence the wizard says about the failed step, with the reason
    // (": <the system's words> (error N)") at its end; empty when the step is
    // told once for all its kind (copies without a driver directory).
    std::string (*failure)(const StepReport& step, const std::string& reason);
    // What to do about the failed step, its error aside.
    Remedy (*remedy)(const StepReport& step);
};

// The row of `kind`.
const StepWords& WordsOf(StepKind kind);

// What the step's outcome means, in words ("written", "already there", ...).
std::string OutcomeWords(const StepReport& step);

// What a remedy tells a person to do; `sourceFolder` is the package folder a
// missing file was to come from.
std::string RemedyText(Remedy remedy, const std::string& sourceFolder);

}  // namespace tq
