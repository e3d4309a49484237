#include <memory>

#include "install/plan.h"
#include "platform/system_services.h"
#include "ui/install_session.h"
#include "ui/page_decisions.h"
#include "ui/framework/text.h"
#include "ui/pages.h"

namespace tq::ui {

BEGIN_MESSAGE_MAP(CDetailSettingDlg, CDialog)
    ON_WM_SYSCOMMAND(&CDetailSettingDlg::OnSysCommand)
    ON_WM_PAINT(&CDetailSettingDlg::OnPaint)
    ON_WM_QUERYDRAGICON(&CDetailSettingDlg::OnQueryDragIcon)
    ON_BN_CLICKED(IDC_BACK, &CDialog::EndCancel)
    ON_BN_CLICKED(IDC_NEXT, &CDetailSettingDlg::OnNext)
    ON_CBN_SELCHANGE(IDC_MODEL_LIST, &CDetailSettingDlg::OnSelChangeModelList)
    ON_CBN_SELCHANGE(IDC_PORT_LIST, &CDetailSettingDlg::OnSelChangePortList)
    ON_BN_CLICKED(IDC_EXIT, &CDetailSettingDlg::OnExit)
    ON_BN_CLICKED(IDC_SET_DEFAULT, &CDetailSettingDlg::OnSetDefaultPrinter)
END_MESSAGE_MAP()

CDetailSettingDlg::CDetailSettingDlg(CWnd* parent)
    : CDialog(IDD, parent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

CDetailSettingDlg::~CDetailSettingDlg() = default;
void CDetailSettingDlg::DoDataExchange(CDataExchange* pDX) { CDialog::DoDataExchange(pDX); }

BOOL CDetailSettingDlg::OnInitDialog() {
    CDialog::OnInitDialog();  // the template's items go into the lists

    if (HMENU menu = GetSystemMenu(FALSE)) {
        wchar_t* text = nullptr;
        int n = LoadStringW(AfxGetInstanceHandle(), IDS_ABOUTBOX, reinterpret_cast<wchar_t*>(&text), 0);
        if (n > 0 && text) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, std::wstring(text, static_cast<size_t>(n)).c_str());
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    // The model list: the 19 labels in catalog order, then the opening row.
    CWnd* models = GetDlgItem(IDC_MODEL_LIST);
    models->SendMessage(CB_RESETCONTENT);
    for (const std::string& label : ModelListTexts()) {
        std::wstring wide = WidenCp936(label);
        models->SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    const InstallChoices opening;
    m_pModelList = models;
    m_pModelList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.model.index));

    GetDlgItem(IDC_SET_DEFAULT)->SendMessage(BM_SETCHECK, opening.makeDefault ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_PRINTER_NAME, OpeningPrinterName());

    m_pPortList = GetDlgItem(IDC_PORT_LIST);
    m_pBaudList = GetDlgItem(IDC_BAUD_LIST);
    m_pDataBitsList = GetDlgItem(IDC_DATA_BITS_LIST);
    m_pStopBitsList = GetDlgItem(IDC_STOP_BITS_LIST);
    m_pParityList = GetDlgItem(IDC_PARITY_LIST);
    m_pFlowControlList = GetDlgItem(IDC_FLOW_CONTROL_LIST);

    // The hidden lists open on the installation's default choices.
    m_pPortList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.serialPortIndex));
    m_pBaudList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.serial.baud));
    m_pDataBitsList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.serial.dataBits));
    m_pStopBitsList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.serial.stopBits));
    m_pParityList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.serial.parity));
    m_pFlowControlList->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(opening.serial.flowControl));
    EnableSerialLists(SerialListsEnabled(opening.serialPortIndex));

    theInstallSession.detailPage = this;
    return TRUE;  // the focus goes to the model list
}

void CDetailSettingDlg::EnableSerialLists(BOOL enable) {
    for (CWnd* list : {m_pBaudList, m_pDataBitsList, m_pStopBitsList, m_pParityList, m_pFlowControlList}) {
        list->EnableWindow(enable);
    }
}

void CDetailSettingDlg::OnCancel() { EndOK(); }

void CDetailSettingDlg::OnExit() { OnCancel(); }

// The box changes its own state; the installation reads it when it runs.
void CDetailSettingDlg::OnSetDefaultPrinter() {}

void CDetailSettingDlg::OnSelChangeModelList() {
    int row = static_cast<int>(m_pModelList->SendMessage(CB_GETCURSEL));
    if (std::optional<std::string> name = PrinterNameForSelection(row)) SetDlgItemText(IDC_PRINTER_NAME, *name);
}

void CDetailSettingDlg::OnSelChangePortList() {
    int row = static_cast<int>(m_pPortList->SendMessage(CB_GETCURSEL));
    EnableSerialLists(SerialListsEnabled(row));
}

void CDetailSettingDlg::OnSysCommand(UINT id, LPARAM) {
    if (IsAboutCommand(id)) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

void CDetailSettingDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    RECT client;
    GetClientRect(&client);
    IconPosition at = MinimisedIconPosition(client.right - client.left, client.bottom - client.top,
                                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc.m_hDC, at.x, at.y, m_hIcon);
}

HCURSOR CDetailSettingDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

std::optional<InstallChoices> CDetailSettingDlg::InstallChoicesFromControls(Architecture arch, const CString& port) {
    m_pDefaultPrinterBox = GetDlgItem(IDC_SET_DEFAULT);
    auto selected = [](CWnd* list) { return static_cast<int>(list->SendMessage(CB_GETCURSEL)); };
    DetailSelections page;
    page.modelRow = selected(m_pModelList);
    page.makeDefault = m_pDefaultPrinterBox->SendMessage(BM_GETCHECK) == BST_CHECKED;
    page.serialPortIndex = selected(m_pPortList);
    page.serial.baud = selected(m_pBaudList);
    page.serial.parity = selected(m_pParityList);
    page.serial.dataBits = selected(m_pDataBitsList);
    page.serial.stopBits = selected(m_pStopBitsList);
    page.serial.flowControl = selected(m_pFlowControlList);
    return InstallChoicesFor(arch, page, port);
}

namespace {

// The Select Port page of the latest visit. The page object outlives its
// window, since this page reads it after DoModal; the next visit replaces the
// session's link to it, and with that nothing can reach it any more, so it is
// released then (and the last one when the process ends).
std::unique_ptr<CSelectPortDlg> latestSelectPortPage;

std::string ErrorTextCp936(platform::ErrorCode error) { return Utf8ToCp936(platform::SystemErrorText(error)); }

}  // namespace

void CDetailSettingDlg::OnNext() {
    auto page = std::make_unique<CSelectPortDlg>(MachinePlatform());
    theInstallSession.selectPortPage = page.get();
    latestSelectPortPage = std::move(page);

    CSelectPortDlg& visit = *theInstallSession.selectPortPage;
    if (visit.DoModal() == IDCANCEL) return;  // back on this page, as it was

    theInstallSession.selectedPort = visit.m_strPort;
    const InstallReport* report = visit.m_report ? &*visit.m_report : nullptr;
    if (std::optional<std::string> message = ClosingMessage(theInstallSession.osKind, report, &ErrorTextCp936)) {
        AfxMessageBox(*message, MB_OK);
    }
    EndOK();
}

}  // namespace tq::ui
