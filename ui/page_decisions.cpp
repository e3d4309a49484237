#include "ui/page_decisions.h"

#include <algorithm>

#include "catalog/descrambler.h"
#include "catalog/model_catalog.h"
#include "install/plan.h"
#include "res/resource.h"

namespace tq::ui {

std::optional<int> RadioButtonFor(OsKind kind) {
    switch (kind) {
    case Win95: return IDC_WIN95;
    case Win98: return IDC_WIN98;
    case WinNT4: return IDC_WINNT4;
    case Win2000: return IDC_WIN2000;
    case WinXP: return IDC_WINXP;
    case Win2003: return IDC_WIN2003;
    case WinVista: return IDC_WINVISTA;
    case Win7: return IDC_WIN7;
    case Win8: return IDC_WIN8;
    default: return std::nullopt;
    }
}

std::wstring UsbDriverLauncherPath(const std::wstring& currentDirectory, Architecture arch) {
    const std::string program = UsbDriverProgram(arch);  // plain ASCII
    return currentDirectory + L"\\" + std::wstring(program.begin(), program.end());
}

std::wstring HiddenLauncherPath(const std::wstring& currentDirectory) {
    return currentDirectory + L"\\USBdriver\\x86\\dpinst.exe";
}

std::vector<std::string> ModelListTexts() {
    std::vector<std::string> texts;
    for (const ScrambledLabel& label : ModelListLabels) texts.push_back(DescrambleText(label.letters, label.startKey));
    return texts;
}

std::string OpeningPrinterName() { return DescrambleText(PrinterNameLabel.letters, PrinterNameLabel.startKey); }

std::optional<std::string> PrinterNameForSelection(int row) {
    // Unsigned, so that CB_ERR (-1) falls outside as well.
    if (static_cast<unsigned>(row) >= static_cast<unsigned>(ModelCatalog::kCount)) return std::nullopt;
    const ScrambledLabel& label = ModelListLabels[static_cast<size_t>(row)];
    return DescrambleText(label.letters, label.startKey);
}

bool SerialListsEnabled(int row) { return row > 2; }

bool ShowsCompletedMessage(OsKind kind) { return kind >= WinNT4 && kind <= Win8; }

bool IsAboutCommand(unsigned commandId) { return (commandId & 0xFFF0u) == IDM_ABOUTBOX; }

IconPosition MinimisedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

unsigned long PortListExtendedStyle(unsigned long current) {
    constexpr unsigned long kGridLines = 0x01, kTrackSelect = 0x08, kFullRowSelect = 0x20;
    return (current & ~kTrackSelect) | kGridLines | kFullRowSelect;
}

int ListedPortCount(std::size_t portCount) {
    return static_cast<int>(std::min<std::size_t>(portCount, static_cast<std::size_t>(kMaxPortRows)));
}

std::optional<int> PreferredPortRow(const std::vector<std::string>& portNames) {
    std::optional<int> lpt1, com1, file;
    const int rows = ListedPortCount(portNames.size());
    for (int i = 0; i < rows; ++i) {
        // The first four characters, or the whole name when it is shorter.
        const std::string prefix = portNames[static_cast<std::size_t>(i)].substr(0, 4);
        if (prefix == "COM1") com1 = i;
        if (prefix == "LPT1") lpt1 = i;
        if (prefix == "FILE") file = i;
    }
    if (lpt1) return lpt1;
    if (com1) return com1;
    return file;
}

std::vector<std::string> ListedMonitorNames(const std::vector<std::string>& monitorNames) {
    std::vector<std::string> listed;
    for (const std::string& name : monitorNames) {
        if (!name.empty()) listed.push_back(name);
    }
    return listed;
}

const char kChoosePortFirstMessage[] =
    "Please choose the port the printer is connected to in the list first, then press \"Install\".";

std::optional<InstallChoices> InstallChoicesFor(Architecture arch, const DetailSelections& page,
                                                const std::string& port) {
    const ModelEntry* model = ModelCatalog::Row(page.modelRow);
    if (!model) return std::nullopt;
    InstallChoices choices;
    choices.architecture = arch;
    choices.model = *model;
    choices.portName = port;
    choices.makeDefault = page.makeDefault;
    choices.serialPortIndex = page.serialPortIndex;
    choices.serial = page.serial;
    return choices;
}

namespace {

// ": <the system's words> (error N)" for a step that carries an error code.
std::string Reason(const StepReport& step, const ErrorTextFn& errorText) {
    if (step.error == platform::kErrorSuccess) return "";
    const std::string words = errorText ? errorText(step.error) : std::string();
    return (words.empty() ? std::string(" ") : ": " + words + " ") + "(error " + std::to_string(step.error) + ")";
}

// The folder part of a copy's source, such as "Printer Driver\x86".
std::string SourceFolderOf(const std::string& source) {
    const std::size_t slash = source.find_last_of('\\');
    return slash == std::string::npos ? source : source.substr(0, slash);
}

}  // namespace

std::string InstallFailureMessage(const InstallReport& report, const ErrorTextFn& errorText) {
    std::vector<std::string> failed;
    bool copyWithoutDirectory = false, accessDenied = false;
    std::vector<Remedy> remedies;
    std::string sourceFolder;
    for (const StepReport& step : report.steps) {
        if (!IsFailure(step.outcome)) continue;
        const StepWords& words = WordsOf(step.kind);
        Remedy remedy = words.remedy(step);
        if (step.error == platform::kErrorAccessDenied) {
            accessDenied = true;
            if (remedy == Remedy::StartSpooler) remedy = Remedy::None;  // the rights were missing, not the spooler
        }
        if (remedy == Remedy::CompletePackage && sourceFolder.empty()) sourceFolder = SourceFolderOf(step.source);
        if (remedy != Remedy::None) remedies.push_back(remedy);
        const std::string sentence = words.failure(step, Reason(step, errorText));
        if (sentence.empty()) {
            copyWithoutDirectory = true;  // the copies without a directory: one line for all
        } else {
            failed.push_back(sentence);
        }
    }
    if (copyWithoutDirectory) {
        failed.push_back("No driver file was copied, since there was no driver directory to copy them to.");
    }

    std::vector<std::string> todo;
    if (accessDenied) {
        todo.push_back("Start the setup program as an administrator (right-click it, \"Run as administrator\") "
                       "and install again.");
    }
    for (Remedy remedy : {Remedy::CompletePackage, Remedy::StartSpooler, Remedy::SetDefaultByHand,
                          Remedy::SetPortByHand}) {
        if (std::find(remedies.begin(), remedies.end(), remedy) != remedies.end()) {
            todo.push_back(RemedyText(remedy, sourceFolder));
        }
    }
    if (todo.empty()) todo.push_back("Install again; if the failure stays, give this message to your supplier.");

    std::string text = "The printer driver was not installed completely.\n\nWhat failed:";
    for (const std::string& line : failed) text += "\n- " + line;
    text += "\n\nWhat to do:";
    for (const std::string& line : todo) text += "\n- " + line;
    return text;
}

std::optional<std::string> ClosingMessage(OsKind kind, const InstallReport* report, const ErrorTextFn& errorText) {
    if (!report) {
        return std::string("The printer driver was not installed: the installation could not be started.\n\n"
                           "What to do:\n- Start the setup program again.");
    }
    if (!report->Clean()) return InstallFailureMessage(*report, errorText);
    if (ShowsCompletedMessage(kind)) return std::string("Completed!");
    return std::nullopt;
}

}  // namespace tq::ui
