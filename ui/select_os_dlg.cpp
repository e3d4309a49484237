#include "install/machine.h"
#include "platform/shell.h"
#include "ui/install_session.h"
#include "ui/page_decisions.h"
#include "ui/pages.h"

namespace tq::ui {

BEGIN_MESSAGE_MAP(CSelectOsDlg, CDialog)
    ON_WM_PAINT(&CSelectOsDlg::OnPaint)
    ON_BN_CLICKED(IDC_INSTALL_DRIVER, &CDialog::EndOK)
    ON_BN_CLICKED(IDC_INSTALL_USB, &CSelectOsDlg::OnInstallUsbDriver)
    ON_BN_CLICKED(IDC_OS_EXIT, &CSelectOsDlg::OnExit)
    ON_BN_CLICKED(IDC_HIDDEN_LAUNCHER, &CSelectOsDlg::OnHiddenLauncher)
    // "< &Back" (IDC_OS_BACK) is hidden and disabled and does nothing.
END_MESSAGE_MAP()

CSelectOsDlg::~CSelectOsDlg() = default;
void CSelectOsDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CSelectOsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    theInstallSession.osKind = DetectOsKind(theInstallSession.osKind);
    if (std::optional<int> button = RadioButtonFor(theInstallSession.osKind)) {
        if (CWnd* radio = GetDlgItem(*button)) radio->SendMessage(BM_SETCHECK, BST_CHECKED, 0);
    }
    return TRUE;  // the focus goes to the first tab stop, "Install Printer Driver (&N) >"
}

void CSelectOsDlg::OnCancel() { CDialog::OnCancel(); }

// The page's look comes from its controls alone.
void CSelectOsDlg::OnPaint() { CPaintDC dc(this); }

void CSelectOsDlg::OnInstallUsbDriver() {
    platform::ShellOpen(UsbDriverLauncherPath(platform::CurrentDirectory(), DetectArchitecture()));
}

void CSelectOsDlg::OnExit() { OnCancel(); }

void CSelectOsDlg::OnHiddenLauncher() { platform::ShellOpen(HiddenLauncherPath(platform::CurrentDirectory())); }

}  // namespace tq::ui
