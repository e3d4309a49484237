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

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The folder part of a copy's source, such as "Printer Driver\x86".
std::string SourceFolderOf(const std::string& source) {
    const std::size_t slash = source.find_last_of('\\');
    return slash == std::string::npos ? source : source.substr(0, slash);
}

bool IsSpoolerStep(StepKind kind) {
    return kind == StepKind::DriverDirectory || kind == StepKind::RegisterDriver ||
           kind == StepKind::CreatePrinter || kind == StepKind::ClosePrinter;
}

std::string RegistryProblem(const StepReport& step) {
    return step.outcome == StepOutcome::KeyNotOpened
               ? "the registry key " + step.target + " could not be opened for writing"
               : "the value " + Quoted(step.subject) + " could not be written under " + step.target;
}

}  // namespace

std::string InstallFailureMessage(const InstallReport& report, const ErrorTextFn& errorText) {
    std::vector<std::string> failed;
    bool copyWithoutDirectory = false, accessDenied = false, filesMissing = false, spooler = false;
    bool defaultPrinter = false, portSettings = false;
    std::string sourceFolder;
    for (const StepReport& step : report.steps) {
        if (!IsFailure(step.outcome)) continue;
        if (step.error == platform::kErrorAccessDenied) accessDenied = true;
        else if (IsSpoolerStep(step.kind)) spooler = true;
        const std::string reason = Reason(step, errorText);
        switch (step.kind) {
        case StepKind::DriverDirectory:
            failed.push_back(step.outcome == StepOutcome::NoDriverDirectory
                                 ? "The print spooler reported no driver directory for " + step.subject + "."
                                 : "The print spooler did not tell its driver directory for " + step.subject +
                                       reason + ".");
            break;
        case StepKind::CopyFile:
            if (step.outcome == StepOutcome::NoDriverDirectory) {
                copyWithoutDirectory = true;
                break;
            }
            if (step.error == platform::kErrorFileNotFound || step.error == platform::kErrorPathNotFound) {
                filesMissing = true;
                if (sourceFolder.empty()) sourceFolder = SourceFolderOf(step.source);
            }
            failed.push_back("The file " + Quoted(step.source) + " was not copied to " + Quoted(step.target) +
                             reason + ".");
            break;
        case StepKind::RegisterDriver:
            failed.push_back("The driver " + Quoted(step.subject) + " was not registered with the print spooler for " +
                             step.target + reason + ".");
            break;
        case StepKind::CreatePrinter:
            failed.push_back("The printer " + Quoted(step.subject) + " was not created on the port " +
                             Quoted(step.target) + reason + ".");
            break;
        case StepKind::DefaultPrinter:
            defaultPrinter = true;
            failed.push_back("The printer was not made the default printer: " + RegistryProblem(step) + reason + ".");
            break;
        case StepKind::PortSettings:
            portSettings = true;
            failed.push_back("The line settings of " + Quoted(step.subject) + " were not saved: " +
                             RegistryProblem(step) + reason + ".");
            break;
        case StepKind::ClosePrinter:
            failed.push_back("The print spooler did not close the new printer" + reason + ".");
            break;
        default:
            failed.push_back(std::string("The step ") + StepKindName(step.kind) + " " + Quoted(step.subject) +
                             " failed" + reason + ".");
            break;
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
    if (filesMissing) {
        todo.push_back("Start the setup program from the folder it was delivered in, and make sure its folder " +
                       Quoted(sourceFolder) + " holds every driver file; then install again.");
    }
    if (spooler || copyWithoutDirectory) {
        todo.push_back("Make sure the Print Spooler service is running, then install again.");
    }
    if (defaultPrinter) {
        todo.push_back("You can make the printer the default printer yourself in the Control Panel "
                       "(Devices and Printers).");
    }
    if (portSettings) {
        todo.push_back("You can set the port's line settings yourself in the Device Manager (the port's "
                       "Properties).");
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

PlacedRect CentredRect(const PlacedRect& area, long width, long height) {
    long left = area.left + (area.right - area.left - width) / 2;
    long top = area.top + (area.bottom - area.top - height) / 2;
    // Keep the caption reachable when the window is larger than the area.
    if (left < area.left && width > area.right - area.left) left = area.left;
    if (top < area.top) top = area.top;
    return {left, top, left + width, top + height};
}

unsigned long HelpTopic(int templateId) { return 0x20000ul + static_cast<unsigned long>(templateId); }

namespace {
size_t NameStart(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? 0 : slash + 1;
}
size_t ExtensionStart(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < NameStart(path)) return path.size();
    return dot;
}
}  // namespace

std::wstring HelpFilePath(const std::wstring& programPath) {
    return programPath.substr(0, ExtensionStart(programPath)) + L".HLP";
}

std::wstring ProgramTitle(const std::wstring& programPath) {
    size_t start = NameStart(programPath);
    return programPath.substr(start, ExtensionStart(programPath) - start);
}

unsigned MessageBoxTypeWithIcon(unsigned type) {
    // Values of the Win32 message box flags.
    constexpr unsigned kTypeMask = 0x0F, kIconMask = 0xF0, kIconExclamation = 0x30;
    constexpr unsigned kOk = 0, kOkCancel = 1, kYesNoCancel = 3, kYesNo = 4;
    unsigned buttons = type & kTypeMask;
    bool named = buttons == kOk || buttons == kOkCancel || buttons == kYesNoCancel || buttons == kYesNo;
    if (named && (type & kIconMask) == 0) type |= kIconExclamation;
    return type;
}

}  // namespace tq::ui
