// Our own thin layer where MFC would stand: an application object with
// InitInstance, modal dialogs built from templates with a message map, the
// list view and progress bar wrappers, DDX_Control and AfxMessageBox.
// Texts are CString: 8-bit strings in code page 936; every call into Windows
// uses the wide API with the text converted (ui/framework/text.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>

namespace tq::ui {

using CString = std::string;  // code page 936

// The framework's own ids, as MFC's afxres.h gives them.
#define ID_HELP 0xE146  // the help command, routed to the application object
// The resource type of a dialog template's initialisation data (RT_DLGINIT).
constexpr WORD kDlgInitResourceType = 240;

class CCmdTarget;
class CWnd;
class CDialog;
class CWinApp;

// ---- message maps ---------------------------------------------------------

using AFX_PMSG = void (CCmdTarget::*)();
using AFX_PSYSCOMMAND = void (CCmdTarget::*)(UINT, LPARAM);
using AFX_PQUERYICON = HCURSOR (CCmdTarget::*)();

enum class HandlerKind {
    Command,        // void ()             WM_COMMAND (id, notification), WM_PAINT
    SysCommand,     // void (UINT, LPARAM) WM_SYSCOMMAND
    QueryDragIcon,  // HCURSOR ()          WM_QUERYDRAGICON
};

struct MessageMapEntry {
    UINT message;  // 0 ends a map
    UINT code;     // notification code of WM_COMMAND
    UINT id;       // control or command id of WM_COMMAND
    HandlerKind kind;
    AFX_PMSG command;
    AFX_PSYSCOMMAND sysCommand;
    AFX_PQUERYICON queryDragIcon;
};

struct MessageMap {
    const MessageMap* base;
    const MessageMapEntry* entries;
};

template <class T>
MessageMapEntry CommandEntry(UINT message, UINT code, UINT id, void (T::*fn)()) {
    return {message, code, id, HandlerKind::Command, static_cast<AFX_PMSG>(fn), nullptr, nullptr};
}
template <class T>
MessageMapEntry SysCommandEntry(void (T::*fn)(UINT, LPARAM)) {
    return {WM_SYSCOMMAND, 0, 0, HandlerKind::SysCommand, nullptr, static_cast<AFX_PSYSCOMMAND>(fn), nullptr};
}
template <class T>
MessageMapEntry QueryDragIconEntry(HCURSOR (T::*fn)()) {
    return {WM_QUERYDRAGICON, 0, 0, HandlerKind::QueryDragIcon, nullptr, nullptr, static_cast<AFX_PQUERYICON>(fn)};
}

#define DECLARE_MESSAGE_MAP()                                       \
public:                                                             \
    static const ::tq::ui::MessageMap messageMap;                   \
    const ::tq::ui::MessageMap* GetMessageMap() const override;     \
private:                                                            \
    static const ::tq::ui::MessageMapEntry messageEntries[];

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                              \
    const ::tq::ui::MessageMap* theClass::GetMessageMap() const { return &messageMap; }     \
    const ::tq::ui::MessageMap theClass::messageMap = {&baseClass::messageMap,              \
                                                       theClass::messageEntries};           \
    const ::tq::ui::MessageMapEntry theClass::messageEntries[] = {

#define END_MESSAGE_MAP() {0, 0, 0, ::tq::ui::HandlerKind::Command, nullptr, nullptr, nullptr}};

#define ON_COMMAND(id, fn) ::tq::ui::CommandEntry(WM_COMMAND, 0, static_cast<UINT>(id), fn),
#define ON_BN_CLICKED(id, fn) ::tq::ui::CommandEntry(WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), fn),
#define ON_CBN_SELCHANGE(id, fn) ::tq::ui::CommandEntry(WM_COMMAND, CBN_SELCHANGE, static_cast<UINT>(id), fn),
#define ON_WM_SYSCOMMAND(fn) ::tq::ui::SysCommandEntry(fn),
#define ON_WM_PAINT(fn) ::tq::ui::CommandEntry(WM_PAINT, 0, 0, fn),
#define ON_WM_QUERYDRAGICON(fn) ::tq::ui::QueryDragIconEntry(fn),

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    static const MessageMap messageMap;  // empty; ends every chain
    virtual const MessageMap* GetMessageMap() const { return &messageMap; }

    // The first entry for (message, code, id) in this object's map chain.
    const MessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const;
    // Runs the WM_COMMAND handler for (id, code); false when the map has none.
    bool OnCmdMsg(UINT id, UINT code);
};

// ---- windows --------------------------------------------------------------

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL EnableWindow(BOOL enable = TRUE) const;
    void SetWindowText(const CString& text) const;
    CString GetWindowText() const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* rect) const;
    HMENU GetSystemMenu(BOOL revert) const;
    HICON SetIcon(HICON icon, BOOL big) const;

    // Asks for the window's default processing of the message being handled.
    void Default() { m_default = true; }

protected:
    bool m_default = false;
    friend class CDialog;
};

class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC m_hDC;

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps;
};

class CDataExchange {
public:
    CDataExchange(CDialog* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds the member `control` to the dialog's control `id`.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CListCtrl : public CWnd {
public:
    DWORD GetExtendedStyle() const;
    DWORD SetExtendedStyle(DWORD style) const;
    int InsertColumn(int column, const CString& heading, int format = LVCFMT_LEFT, int width = -1) const;
    BOOL SetColumnWidth(int column, int width) const;
    int InsertItem(int item, const CString& text) const;
    BOOL SetItemText(int item, int subItem, const CString& text) const;
    int GetItemCount() const;
    UINT GetItemState(int item, UINT mask) const;
    BOOL SetItemState(int item, UINT state, UINT mask) const;
    CString GetItemText(int item, int subItem) const;  // whatever its length
    // The same with UTF-16 texts, for texts that are not the program's own.
    int InsertItem(int item, const std::wstring& text) const;
    BOOL SetItemText(int item, int subItem, const std::wstring& text) const;
    std::wstring GetItemTextW(int item, int subItem) const;
    BOOL DeleteAllItems() const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) const;
    int SetPos(int pos) const;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Shows the dialog modally and returns its end code (-1 when it cannot be
    // shown). Without a parent the active window of the program is the owner.
    virtual INT_PTR DoModal();
    void EndDialog(int result) const;
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // A wrapper for the control `id`, valid while this window lives.
    CWnd* GetDlgItem(int id);
    void SetDlgItemText(int id, const CString& text);
    UINT TemplateId() const { return m_nIDTemplate; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();      // EndOK()
    virtual void OnCancel();  // EndCancel()
    virtual void DoDataExchange(CDataExchange* pDX);

    // What the base OnOK and OnCancel do, callable without virtual dispatch.
    void EndOK();
    void EndCancel();

    // The dialog of ours that holds `window` (itself or one of its controls).
    static CDialog* FromWindow(HWND window);

    DECLARE_MESSAGE_MAP()

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void ExecuteDlgInit();
    void CentreIfHidden();
    std::map<int, std::unique_ptr<CWnd>> m_items;
};

// ---- the application --------------------------------------------------------

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The help command: the topic of the dialog holding the focus, in the
    // help file beside the program.
    void OnHelp();
    HICON LoadIcon(UINT id) const;

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    std::wstring m_pszAppName;     // the program file's name without extension
    std::wstring m_pszHelpFilePath;  // the program's path with ".HLP"

    DECLARE_MESSAGE_MAP()

private:
    friend int RunApplication(HINSTANCE instance);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// Shows `text` with the application's name as caption; MB_OK and the other
// button sets without an icon get the exclamation icon.
int AfxMessageBox(const CString& text, UINT type = MB_OK);

void AfxEnableControlContainer();
BOOL Enable3dControlsStatic();

// Called by WinMain: prepares the process and runs the application object.
int RunApplication(HINSTANCE instance);

// Hooks for a test build that watches the dialogs; the shipped program sets none.
class FrameworkObserver {
public:
    virtual ~FrameworkObserver() = default;
    virtual void DialogOpened(CDialog& dialog) = 0;
    virtual void CommandHandled(CDialog& dialog, UINT id, UINT code) = 0;
    virtual void MessageBoxShown(const std::wstring& text, const std::wstring& caption, UINT type) = 0;
    virtual void HelpRequested(const std::wstring& helpFile, DWORD topic) = 0;
    // A dialog object is being destroyed (from CDialog's destructor).
    virtual void DialogDestroyed(CDialog& /*dialog*/) {}
};
void SetFrameworkObserver(FrameworkObserver* observer);

}  // namespace tq::ui
