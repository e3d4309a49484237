// The wizard's application object and dialogs.
#pragma once

#include <optional>

#include "install/install_run.h"
#include "platform/install_platform.h"
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
    enum { IDD = IDD_ABOUTBOX };
    CAboutDlg() : CDialog(IDD) {}
    ~CAboutDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

// The first page: shows the detected Windows version, starts the USB driver installer.
class CSelectOsDlg : public CDialog {
public:
    enum { IDD = IDD_SELECT_OS };
    explicit CSelectOsDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
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
    enum { IDD = IDD_DETAIL_SETTING };
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

    // The installation's inputs from this page's controls, for `arch` and `port`;
    // nothing when the model list holds no catalog row.
    std::optional<InstallChoices> InstallChoicesFromControls(Architecture arch, const CString& port);

    DECLARE_MESSAGE_MAP()

private:
    void EnableSerialLists(BOOL enable);
};

// The last page: the spooler's ports, Create Port / Configure Port, and
// "&Install" with the progress bar the installation reports to.
class CSelectPortDlg : public CDialog {
public:
    enum { IDD = IDD_SELECT_PORT };
    explicit CSelectPortDlg(const platform::InstallPlatform& platform, CWnd* parent = nullptr);
    ~CSelectPortDlg() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;      // Enter: the page stays; only "&Install" ends it with IDOK
    void OnCancel() override;  // ends the page with IDCANCEL, as the base does

    void OnCreatePort();
    void OnConfigurePort();
    void OnInstall();

    CString m_strPort;          // the chosen port (the system's code page); written only by the Install command
    CProgressCtrl m_progress;
    CListCtrl m_listPorts;
    // What the Install command's installation did; empty until it has run.
    std::optional<InstallReport> m_report;

    DECLARE_MESSAGE_MAP()

private:
    // Lists the spooler's ports and selects the preferred row; the columns and
    // the progress bar's range are set up at the first fill only.
    void FillPortList(bool firstFill);

    // The progress bar as the installation's sink, painted at every position.
    class ProgressBarSink : public ProgressSink {
    public:
        explicit ProgressBarSink(CProgressCtrl& bar) : m_bar(bar) {}
        void SetPosition(int position) override;

    private:
        CProgressCtrl& m_bar;
    };

    const platform::InstallPlatform& m_platform;
};

// Lists the spooler's port monitors and adds ports through them.
class CCreatePortDlg : public CDialog {
public:
    enum { IDD = IDD_CREATE_PORT };
    explicit CCreatePortDlg(platform::Spooler& spooler, CWnd* parent = nullptr)
        : CDialog(IDD, parent), m_spooler(spooler) {}
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

// The machine's spooler, files, registry, pause and the wizard's message box
// (install/machine.h), made on first use and kept for the process's life.
const platform::InstallPlatform& MachinePlatform();

}  // namespace tq::ui
