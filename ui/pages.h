// The wizard's application object and dialogs.
#pragma once

#include "platform/spooler.h"
#include "res/resource.h"
#include "ui/framework/framework.h"

namespace tq::ui {

class CInstallerApp : public CWinApp {
public:
    CInstallerApp();
    ~CInstallerApp() override;
    // Runs the page flow and returns FALSE, so the process ends with it.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The About box, from the Detail Setting page's system menu.
class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
    ~CAboutDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

// The first page: shows the detected Windows version, starts the USB driver installer.
class CSelectOsDlg : public CDialog {
public:
    explicit CSelectOsDlg(CWnd* parent = nullptr) : CDialog(IDD_SELECT_OS, parent) {}
    ~CSelectOsDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;

    void OnPaint();
    void OnInstallUsbDriver();
    void OnExit();
    void OnHiddenLauncher();

    DECLARE_MESSAGE_MAP()
};

// The second page: model, default-printer choice and the hidden port settings.
class CDetailSettingDlg : public CDialog {
public:
    explicit CDetailSettingDlg(CWnd* parent = nullptr);
    ~CDetailSettingDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;  // ends the page with IDOK, as OnOK does

    void OnSysCommand(UINT id, LPARAM param);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnNext();
    void OnSelChangeModelList();
    void OnSelChangePortList();
    void OnExit();
    void OnSetDefaultPrinter();

    CWnd* m_pModelList = nullptr;
    CWnd* m_pPortList = nullptr;
    CWnd* m_pBaudList = nullptr;
    CWnd* m_pDataBitsList = nullptr;
    CWnd* m_pStopBitsList = nullptr;
    CWnd* m_pParityList = nullptr;
    CWnd* m_pFlowControlList = nullptr;
    CWnd* m_pDefaultPrinterBox = nullptr;  // set by the installation when it reads the box
    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()

private:
    void EnableSerialLists(BOOL enable);
    // The closing steps once the Select Port page has ended with a result
    // other than IDCANCEL: keep its port, say "Completed!" where the Windows
    // version asks for it, end the page with IDOK.
    void FinishAfterSelectPort(const CString& port);
};

// Lists the spooler's port monitors and adds ports through them.
class CCreatePortDlg : public CDialog {
public:
    explicit CCreatePortDlg(platform::Spooler& spooler, CWnd* parent = nullptr)
        : CDialog(IDD_CREATE_PORT, parent), m_spooler(spooler) {}
    ~CCreatePortDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnNewPort();

    CListCtrl m_listMonitors;

    DECLARE_MESSAGE_MAP()

private:
    platform::Spooler& m_spooler;
};

// The first row, counted from 0, whose state includes LVIS_SELECTED, or -1.
int FirstSelectedRow(const CListCtrl& list);

}  // namespace tq::ui
