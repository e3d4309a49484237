#include "install/machine.h"
#include "platform/debug_output.h"
#include "ui/framework/text.h"
#include "ui/install_session.h"
#include "ui/page_decisions.h"
#include "ui/pages.h"

namespace tq::ui {

BEGIN_MESSAGE_MAP(CSelectPortDlg, CDialog)
    ON_BN_CLICKED(IDC_CREATE_PORT, &CSelectPortDlg::OnCreatePort)
    ON_BN_CLICKED(IDC_CONFIGURE_PORT, &CSelectPortDlg::OnConfigurePort)
    ON_BN_CLICKED(IDC_PORT_BACK, &CDialog::EndCancel)
    ON_BN_CLICKED(IDC_INSTALL, &CSelectPortDlg::OnInstall)
    ON_BN_CLICKED(IDC_PORT_CANCEL, &CSelectPortDlg::OnCancel)
END_MESSAGE_MAP()

CSelectPortDlg::CSelectPortDlg(const platform::InstallPlatform& platform, CWnd* parent)
    : CDialog(IDD, parent), m_platform(platform) {}

CSelectPortDlg::~CSelectPortDlg() = default;

void CSelectPortDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_PORTS, m_listPorts);
}

BOOL CSelectPortDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    FillPortList(true);
    return TRUE;  // the focus goes to the port list
}

void CSelectPortDlg::FillPortList(bool firstFill) {
    const platform::PortList enumerated = m_platform.spooler.EnumPorts();  // a failed call lists nothing

    m_listPorts.SetExtendedStyle(PortListExtendedStyle(m_listPorts.GetExtendedStyle()));
    if (firstFill) {
        m_listPorts.InsertColumn(0, "Port", LVCFMT_LEFT);
        m_listPorts.InsertColumn(1, "Type", LVCFMT_LEFT);
        m_listPorts.SetColumnWidth(0, 150);
        m_listPorts.SetColumnWidth(1, 280);
    }

    std::vector<std::string> names;
    const int rows = ListedPortCount(enumerated.ports.size());
    for (int i = 0; i < rows; ++i) {
        const platform::PortInfo& port = enumerated.ports[static_cast<std::size_t>(i)];
        names.push_back(port.name);
        platform::DebugOutput(port.name + "\n");
        m_listPorts.InsertItem(i, WidenSystemText(port.name));
        m_listPorts.SetItemText(i, 1, WidenSystemText(port.description));
    }
    if (std::optional<int> row = PreferredPortRow(names)) {
        m_listPorts.SetItemState(*row, LVIS_SELECTED, LVIS_SELECTED | LVIS_FOCUSED);  // without the focus mark
    }

    if (firstFill) {
        m_progress.SetRange(0, 100);
        m_progress.SetPos(0);
    }
}

void CSelectPortDlg::OnCreatePort() {
    CCreatePortDlg dialog(m_platform.spooler);
    dialog.DoModal();  // however it ended, a port may have been added
    m_listPorts.DeleteAllItems();
    FillPortList(false);
}

void CSelectPortDlg::OnConfigurePort() {
    const int row = FirstSelectedRow(m_listPorts);
    if (row < 0) return;
    m_platform.spooler.ConfigurePort(m_hWnd, NarrowSystemText(m_listPorts.GetItemTextW(row, 0)));
}

void CSelectPortDlg::OnInstall() {
    // Without a port the printer could not be created: say so and stay.
    const int row = FirstSelectedRow(m_listPorts);
    if (row < 0) {
        AfxMessageBox(kChoosePortFirstMessage, MB_OK);
        return;
    }
    m_strPort = NarrowSystemText(m_listPorts.GetItemTextW(row, 0));

    const Architecture arch = DetectArchitecture();
    theInstallSession.selectedPort = m_strPort;
    CDetailSettingDlg* detail = theInstallSession.detailPage;
    CSelectPortDlg* page = theInstallSession.selectPortPage ? theInstallSession.selectPortPage : this;
    if (detail) {
        if (std::optional<InstallChoices> choices =
                detail->InstallChoicesFromControls(arch, theInstallSession.selectedPort)) {
            ProgressBarSink sink(page->m_progress);
            try {
                m_report = InstallPrinter(*choices, sink, m_platform);
            } catch (const PlanError&) {
                // A list outside its table: nothing was done; m_report stays
                // empty and the Detail Setting page says so.
            }
        }
    }
    EndOK();
}

// Enter would end the page as if the installation had run: it does nothing.
void CSelectPortDlg::OnOK() {}

void CSelectPortDlg::OnCancel() { EndCancel(); }

void CSelectPortDlg::ProgressBarSink::SetPosition(int position) {
    m_bar.SetPos(position);
    // The run holds the thread: paint the bar now, so the user sees it move.
    UpdateWindow(m_bar.m_hWnd);
}

}  // namespace tq::ui
