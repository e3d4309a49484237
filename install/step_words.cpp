#include "install/step_words.h"

#include <array>

namespace tq {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string RegistryProblem(const StepReport& step) {
    return step.outcome == StepOutcome::KeyNotOpened
               ? "the registry key " + step.target + " could not be opened for writing"
               : "the value " + Quoted(step.subject) + " could not be written under " + step.target;
}

Remedy Spooler(const StepReport&) { return Remedy::StartSpooler; }
Remedy NoRemedy(const StepReport&) { return Remedy::None; }

std::string StepFailed(const StepReport& s, const std::string& reason) {
    return std::string("The step ") + WordsOf(s.kind).name + " " + Quoted(s.subject) + " failed" + reason + ".";
}

const std::array<StepWords, 12> kWords = {{
    {StepKind::DriverDirectory, "driverDirectory",
     [](const StepReport& s) { return "Driver directory for " + s.subject + ": " + s.target; }, "done", "",
     [](const StepReport& s, const std::string& reason) {
         return s.outcome == StepOutcome::NoDriverDirectory
                    ? "The print spooler reported no driver directory for " + s.subject + "."
                    : "The print spooler did not tell its driver directory for " + s.subject + reason + ".";
     },
     Spooler},
    {StepKind::CopyFile, "copyFile", [](const StepReport& s) { return "Copy " + s.source + " to " + s.target; },
     "done", "",
     [](const StepReport& s, const std::string& reason) {
         if (s.outcome == StepOutcome::NoDriverDirectory) return std::string();
         return "The file " + Quoted(s.source) + " was not copied to " + Quoted(s.target) + reason + ".";
     },
     [](const StepReport& s) {
         if (s.outcome == StepOutcome::NoDriverDirectory) return Remedy::StartSpooler;
         if (s.error == platform::kErrorFileNotFound || s.error == platform::kErrorPathNotFound) {
             return Remedy::CompletePackage;
         }
         return Remedy::None;
     }},
    {StepKind::RegisterDriver, "registerDriver",
     [](const StepReport& s) { return "Register driver \"" + s.subject + "\" for " + s.target; }, "done", "",
     [](const StepReport& s, const std::string& reason) {
         return "The driver " + Quoted(s.subject) + " was not registered with the print spooler for " + s.target +
                reason + ".";
     },
     Spooler},
    {StepKind::CreatePrinter, "createPrinter",
     [](const StepReport& s) { return "Create printer \"" + s.subject + "\" on port \"" + s.target + "\""; }, "done",
     "",
     [](const StepReport& s, const std::string& reason) {
         return "The printer " + Quoted(s.subject) + " was not created on the port " + Quoted(s.target) + reason +
                ".";
     },
     Spooler},
    {StepKind::DefaultPrinter, "defaultPrinter",
     [](const StepReport& s) {
         return s.subject.empty() ? std::string("Default printer value")
                                  : "Default printer value " + s.target + "\\" + s.subject;
     },
     "written", "not planned",
     [](const StepReport& s, const std::string& reason) {
         return "The printer was not made the default printer: " + RegistryProblem(s) + reason + ".";
     },
     [](const StepReport&) { return Remedy::SetDefaultByHand; }},
    {StepKind::PortSettings, "portSettings",
     [](const StepReport& s) {
         return s.subject.empty() ? std::string("Port settings value")
                                  : "Port settings value " + s.target + "\\" + s.subject;
     },
     "written", "not planned",
     [](const StepReport& s, const std::string& reason) {
         return "The line settings of " + Quoted(s.subject) + " were not saved: " + RegistryProblem(s) + reason +
                ".";
     },
     [](const StepReport&) { return Remedy::SetPortByHand; }},
    {StepKind::ClosePrinter, "closePrinter", [](const StepReport&) { return std::string("Close the printer handle"); },
     "done", "no printer handle to close",
     [](const StepReport&, const std::string& reason) {
         return "The print spooler did not close the new printer" + reason + ".";
     },
     Spooler},
    {StepKind::PrinterPort, "printerPort",
     [](const StepReport& s) { return "Printer \"" + s.subject + "\" on port \"" + s.target + "\""; }, "done", "",
     [](const StepReport& s, const std::string& reason) {
         return "The printer " + Quoted(s.subject) + " was there already and was not moved to the port " +
                Quoted(s.target) + reason + ".";
     },
     Spooler},
    {StepKind::DeletePrinter, "deletePrinter",
     [](const StepReport& s) { return "Delete printer \"" + s.subject + "\""; }, "done", "", StepFailed, NoRemedy},
    {StepKind::RemoveDefaultPrinter, "removeDefaultPrinter",
     [](const StepReport& s) { return "Default printer value " + s.target + "\\" + s.subject; }, "done", "",
     StepFailed, NoRemedy},
    {StepKind::DeleteDriver, "deleteDriver",
     [](const StepReport& s) { return "Delete driver \"" + s.subject + "\" for " + s.target; }, "done", "",
     StepFailed, NoRemedy},
    {StepKind::RemoveFile, "removeFile", [](const StepReport& s) { return "Remove " + s.target; }, "done", "",
     StepFailed, NoRemedy},
}};

}  // namespace

const StepWords& WordsOf(StepKind kind) {
    for (const StepWords& row : kWords) {
        if (row.kind == kind) return row;
    }
    return kWords.back();  // every kind has its row (the table test checks it)
}

const char* StepKindName(StepKind kind) { return WordsOf(kind).name; }

std::string OutcomeWords(const StepReport& s) {
    switch (s.outcome) {
        case StepOutcome::Succeeded: return WordsOf(s.kind).done;
        case StepOutcome::AlreadyThere: return "already there";
        case StepOutcome::NotNeeded: return WordsOf(s.kind).notNeeded;
        case StepOutcome::Failed: return s.detail.empty() ? "FAILED" : "FAILED: " + s.detail;
        case StepOutcome::NoDriverDirectory:
            return s.kind == StepKind::CopyFile ? "NOT COPIED: the spooler reported no driver directory"
                                                : "FAILED: the spooler reported no driver directory";
        case StepOutcome::KeyNotOpened: return "NOT WRITTEN: the key could not be opened";
        case StepOutcome::NotWritten: return "NOT WRITTEN";
        case StepOutcome::Moved: return "moved from \"" + s.detail + "\"";
        case StepOutcome::NotThere:
            if (s.kind == StepKind::RemoveDefaultPrinter) {
                return s.detail.empty() ? "not there" : "left as it is: it names another printer (" + s.detail + ")";
            }
            return "not there, nothing to remove";
        case StepOutcome::Kept: return "kept: the driver \"" + s.detail + "\" still uses it";
        case StepOutcome::InUse:
            return s.detail.empty() ? "NOT DELETED: a printer still uses it"
                                    : "NOT DELETED: still used by the printer(s) " + s.detail;
    }
    return "?";
}

std::string RemedyText(Remedy remedy, const std::string& sourceFolder) {
    switch (remedy) {
        case Remedy::None: return "";
        case Remedy::StartSpooler: return "Make sure the Print Spooler service is running, then install again.";
        case Remedy::CompletePackage:
            return "Start the setup program from the folder it was delivered in, and make sure its folder " +
                   Quoted(sourceFolder) + " holds every driver file; then install again.";
        case Remedy::SetDefaultByHand:
            return "You can make the printer the default printer yourself in the Control Panel "
                   "(Devices and Printers).";
        case Remedy::SetPortByHand:
            return "You can set the port's line settings yourself in the Device Manager (the port's "
                   "Properties).";
    }
    return "";
}

}  // namespace tq
