// The application object, the shared record, the machine and the About box.
#include <memory>

#include "install/machine.h"
#include "ui/install_session.h"
#include "ui/page_decisions.h"
#include "ui/pages.h"

namespace tq::ui {

InstallSession theInstallSession;

namespace {

// The installation's message box: the wizard's own.
class MessageBoxMessages final : public platform::UserMessages {
public:
    void ShowOk(const std::string& textCp936) override { AfxMessageBox(textCp936, MB_OK); }
};

}  // namespace

const platform::InstallPlatform& MachinePlatform() {
    static MessageBoxMessages messages;
    static const std::unique_ptr<Machine> machine = Machine::Open(&messages);  // always there on Windows
    return machine->Platform();
}

BEGIN_MESSAGE_MAP(CInstallerApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CInstallerApp::CInstallerApp() = default;
CInstallerApp::~CInstallerApp() = default;

BOOL CInstallerApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    // One Select OS page serves every showing; each Detail Setting page is new.
    CSelectOsDlg selectOs;
    RunPageFlow([&] { return static_cast<int>(selectOs.DoModal()); },
                [] {
                    CDetailSettingDlg detail;
                    return static_cast<int>(detail.DoModal());
                });
    return FALSE;
}

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::~CAboutDlg() = default;
void CAboutDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

}  // namespace tq::ui

// The one application object, constructed before WinMain runs.
tq::ui::CInstallerApp theApp;
