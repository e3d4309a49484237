#include "platform/debug_output.h"
#include "ui/framework/text.h"
#include "ui/page_decisions.h"
#include "ui/pages.h"

namespace tq::ui {

BEGIN_MESSAGE_MAP(CCreatePortDlg, CDialog)
    ON_BN_CLICKED(IDC_NEW_PORT, &CCreatePortDlg::OnNewPort)
    ON_BN_CLICKED(IDC_CLOSE, &CDialog::EndCancel)
END_MESSAGE_MAP()

CCreatePortDlg::~CCreatePortDlg() = default;

void CCreatePortDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MONITORS, m_listMonitors);
}

BOOL CCreatePortDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    platform::MonitorList monitors = m_spooler.EnumMonitors();  // a failed call gives no names

    m_listMonitors.SetExtendedStyle(PortListExtendedStyle(m_listMonitors.GetExtendedStyle()));
    m_listMonitors.InsertColumn(0, "Available Port Type", LVCFMT_LEFT);
    m_listMonitors.SetColumnWidth(0, 340);

    int row = 0;
    for (const std::string& name : ListedMonitorNames(monitors.names)) {
        platform::DebugOutput(name + "\n");
        m_listMonitors.InsertItem(row++, WidenSystemText(name));
    }
    m_listMonitors.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED | LVIS_FOCUSED);
    return TRUE;  // the focus goes to the monitor list
}

void CCreatePortDlg::OnNewPort() {
    int row = FirstSelectedRow(m_listMonitors);
    if (row < 0) return;
    m_spooler.AddPort(m_hWnd, NarrowSystemText(m_listMonitors.GetItemTextW(row, 0)));
}

int FirstSelectedRow(const CListCtrl& list) {
    static_assert(kRowSelectedState == LVIS_SELECTED);
    return FirstSelectedRow([&] { return list.GetItemCount(); },
                            [&](int row) { return list.GetItemState(row, LVIS_SELECTED); });
}

}  // namespace tq::ui
