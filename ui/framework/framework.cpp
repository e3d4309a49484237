#include "ui/framework/framework.h"

#include <cstring>
#include <vector>

#include "ui/framework/framework_rules.h"
#include "ui/framework/text.h"

namespace tq::ui {
namespace {

CWinApp* g_app = nullptr;
FrameworkObserver* g_observer = nullptr;

// The dialog object behind a window is kept in the window's DWLP_USER slot.
CDialog* DialogOf(HWND hwnd) {
    return reinterpret_cast<CDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

const BYTE* FindTemplateResource(UINT id, LPCWSTR type, DWORD* size) {
    HINSTANCE instance = AfxGetInstanceHandle();
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), type);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(instance, found);
    if (!loaded) return nullptr;
    *size = SizeofResource(instance, found);
    return static_cast<const BYTE*>(LockResource(loaded));
}

WORD ReadWord(const BYTE* p) { WORD v; std::memcpy(&v, p, sizeof v); return v; }
DWORD ReadDword(const BYTE* p) { DWORD v; std::memcpy(&v, p, sizeof v); return v; }

}  // namespace

// ---- message maps -----------------------------------------------------------

const MessageMapEntry kNoEntries[] = {{0, 0, 0, HandlerKind::Command, nullptr, nullptr, nullptr}};
const MessageMap CCmdTarget::messageMap = {nullptr, kNoEntries};

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
        for (const MessageMapEntry* e = map->entries; e->message != 0; ++e) {
            if (e->message != message) continue;
            if (message == WM_COMMAND && (e->code != code || e->id != id)) continue;
            return e;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const MessageMapEntry* e = FindEntry(WM_COMMAND, code, id);
    if (!e) return false;
    (this->*(e->command))();
    return true;
}

// ---- CWnd ---------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::EnableWindow(BOOL enable) const { return ::EnableWindow(m_hWnd, enable); }
void CWnd::SetWindowText(const CString& text) const { ::SetWindowTextW(m_hWnd, WidenCp936(text).c_str()); }
CString CWnd::GetWindowText() const {
    int n = ::GetWindowTextLengthW(m_hWnd);
    std::wstring buffer(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(m_hWnd, buffer.data(), n + 1);
    buffer.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return NarrowCp936(buffer);
}
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
HMENU CWnd::GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
HICON CWnd::SetIcon(HICON icon, BOOL big) const {
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(icon)));
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { m_hDC = BeginPaint(m_hWnd, &m_ps); }
CPaintDC::~CPaintDC() { EndPaint(m_hWnd, &m_ps); }

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    control.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

// ---- CListCtrl, CProgressCtrl ---------------------------------------------------

DWORD CListCtrl::GetExtendedStyle() const {
    return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE));
}
DWORD CListCtrl::SetExtendedStyle(DWORD style) const {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
}
int CListCtrl::InsertColumn(int column, const CString& heading, int format, int width) const {
    std::wstring text = WidenCp936(heading);
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.pszText = text.data();
    col.iSubItem = column;
    if (width >= 0) { col.mask |= LVCF_WIDTH; col.cx = width; }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}
BOOL CListCtrl::SetColumnWidth(int column, int width) const {
    return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)));
}
int CListCtrl::InsertItem(int item, const CString& text) const { return InsertItem(item, WidenCp936(text)); }
int CListCtrl::InsertItem(int item, const std::wstring& text) const {
    std::wstring wide = text;
    LVITEMW lv{};
    lv.mask = LVIF_TEXT;
    lv.iItem = item;
    lv.pszText = wide.data();
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lv)));
}
BOOL CListCtrl::SetItemText(int item, int subItem, const CString& text) const {
    return SetItemText(item, subItem, WidenCp936(text));
}
BOOL CListCtrl::SetItemText(int item, int subItem, const std::wstring& text) const {
    std::wstring wide = text;
    LVITEMW lv{};
    lv.iSubItem = subItem;
    lv.pszText = wide.data();
    return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
}
int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
UINT CListCtrl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}
BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) const {
    LVITEMW lv{};
    lv.state = state;
    lv.stateMask = mask;
    return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv)));
}
CString CListCtrl::GetItemText(int item, int subItem) const { return NarrowCp936(GetItemTextW(item, subItem)); }
std::wstring CListCtrl::GetItemTextW(int item, int subItem) const {
    // LVM_GETITEMTEXT gives no length: grow the buffer until the text fits.
    for (size_t size = 256;; size *= 2) {
        std::wstring buffer(size, L'\0');
        LVITEMW lv{};
        lv.iSubItem = subItem;
        lv.pszText = buffer.data();
        lv.cchTextMax = static_cast<int>(size);
        LRESULT n = SendMessage(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
        if (n < 0) n = 0;
        if (static_cast<size_t>(n) < size - 1 || size >= (1u << 20)) {
            buffer.resize(static_cast<size_t>(n));
            return buffer;
        }
    }
}
BOOL CListCtrl::DeleteAllItems() const { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

void CProgressCtrl::SetRange(short lower, short upper) const {
    SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper));
}
int CProgressCtrl::SetPos(int pos) const { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }

// ---- CDialog --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
CDialog::~CDialog() {
    if (g_observer) g_observer->DialogDestroyed(*this);
}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : GetActiveWindow();
    INT_PTR result = DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    m_items.clear();
    return result;
}

void CDialog::EndDialog(int result) const { ::EndDialog(m_hWnd, result); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

CWnd* CDialog::GetDlgItem(int id) {
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (!control) return nullptr;
    auto& slot = m_items[id];
    if (!slot) slot = std::make_unique<CWnd>();
    slot->m_hWnd = control;
    return slot.get();
}

void CDialog::SetDlgItemText(int id, const CString& text) {
    ::SetDlgItemTextW(m_hWnd, id, WidenCp936(text).c_str());
}

BOOL CDialog::OnInitDialog() {
    ExecuteDlgInit();
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() { EndOK(); }
void CDialog::OnCancel() { EndCancel(); }
void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::EndOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}
void CDialog::EndCancel() { EndDialog(IDCANCEL); }

CDialog* CDialog::FromWindow(HWND window) {
    for (HWND w = window; w; w = GetParent(w)) {
        if (reinterpret_cast<DLGPROC>(GetWindowLongPtrW(w, DWLP_DLGPROC)) == &CDialog::DialogProc) {
            return DialogOf(w);
        }
    }
    return nullptr;
}

// Adds the items of the template's initialisation data (resource type 240 with
// the template's id) to its lists: { WORD id, WORD message, DWORD byte count,
// bytes } repeated until an id of 0. The bytes are code page 936 text.
void CDialog::ExecuteDlgInit() {
    DWORD size = 0;
    const BYTE* data = FindTemplateResource(m_nIDTemplate, MAKEINTRESOURCEW(kDlgInitResourceType), &size);
    if (!data) return;
    const BYTE* end = data + size;
    const BYTE* p = data;
    while (p + 2 <= end) {
        WORD id = ReadWord(p);
        if (id == 0 || p + 8 > end) break;
        WORD message = ReadWord(p + 2);
        DWORD length = ReadDword(p + 4);
        p += 8;
        if (length > static_cast<DWORD>(end - p)) break;
        std::string item(reinterpret_cast<const char*>(p), length);
        p += length;
        item.resize(std::strlen(item.c_str()));
        std::wstring wide = WidenCp936(item);
        ::SendDlgItemMessageW(m_hWnd, id, message, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
}

// A template without WS_VISIBLE is centred over its owner, or on the screen
// without one; a visible one stays where its template puts it.
void CDialog::CentreIfHidden() {
    DWORD size = 0;
    const BYTE* data = FindTemplateResource(m_nIDTemplate, MAKEINTRESOURCEW(5) /* RT_DIALOG */, &size);
    if (!data || size < 16) return;
    bool extended = ReadWord(data + 2) == 0xFFFF;
    DWORD style = ReadDword(data + (extended ? 12 : 0));
    if (style & WS_VISIBLE) return;

    RECT window;
    GetWindowRect(m_hWnd, &window);
    RECT area;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !::IsIconic(owner)) {
        GetWindowRect(owner, &area);
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    PlacedRect placed = CentredRect({area.left, area.top, area.right, area.bottom},
                                    window.right - window.left, window.bottom - window.top);
    SetWindowPos(m_hWnd, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        dialog->m_hWnd = hwnd;
        BOOL focusDefault = dialog->OnInitDialog();
        dialog->CentreIfHidden();
        if (g_observer) g_observer->DialogOpened(*dialog);
        return focusDefault;
    }
    CDialog* dialog = DialogOf(hwnd);
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        dialog->m_hWnd = nullptr;
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        UINT code = HIWORD(wParam);
        bool handled = OnCmdMsg(id, code);
        // Commands no dialog handles (the help command) reach the application.
        if (!handled && code == 0 && AfxGetApp()) handled = AfxGetApp()->OnCmdMsg(id, code);
        if (handled && g_observer && m_hWnd) g_observer->CommandHandled(*this, id, code);
        return handled;
    }
    case WM_HELP: {
        // F1 without Shift, Ctrl or Alt: the help command goes to the active dialog.
        bool modified = (GetKeyState(VK_SHIFT) | GetKeyState(VK_CONTROL) | GetKeyState(VK_MENU)) & 0x8000;
        if (!modified) {
            HWND active = GetActiveWindow();
            ::SendMessageW(active ? active : m_hWnd, WM_COMMAND, ID_HELP, 0);
        }
        return TRUE;
    }
    case WM_SYSCOMMAND:
    case WM_PAINT:
    case WM_QUERYDRAGICON: {
        const MessageMapEntry* e = FindEntry(message, 0, 0);
        if (!e) return FALSE;
        m_default = false;
        INT_PTR result = TRUE;
        switch (e->kind) {
        case HandlerKind::SysCommand:
            (this->*(e->sysCommand))(static_cast<UINT>(wParam), lParam);
            break;
        case HandlerKind::QueryDragIcon:
            result = reinterpret_cast<INT_PTR>((this->*(e->queryDragIcon))());
            break;
        case HandlerKind::Command:
            (this->*(e->command))();
            break;
        }
        if (m_default) {
            m_default = false;
            return FALSE;  // the dialog's default processing
        }
        return result;
    }
    default:
        return FALSE;
    }
}

// ---- the application ----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CWinApp::CWinApp(const wchar_t* appName) {
    if (appName) m_pszAppName = appName;
    g_app = this;
}
CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

void CWinApp::OnHelp() {
    CDialog* dialog = CDialog::FromWindow(GetFocus());
    if (!dialog) dialog = CDialog::FromWindow(GetActiveWindow());
    if (!dialog) return;
    DWORD topic = HelpTopic(static_cast<int>(dialog->TemplateId()));
    if (g_observer) g_observer->HelpRequested(m_pszHelpFilePath, topic);
    WinHelpW(dialog->m_hWnd, m_pszHelpFilePath.c_str(), HELP_CONTEXT, topic);
}

HICON CWinApp::LoadIcon(UINT id) const { return LoadIconW(m_hInstance, MAKEINTRESOURCEW(id)); }

CWinApp* AfxGetApp() { return g_app; }
HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : GetModuleHandleW(nullptr); }

int AfxMessageBox(const CString& text, UINT type) {
    type = MessageBoxTypeWithIcon(type);
    std::wstring wide = WidenCp936(text);
    std::wstring caption = g_app ? g_app->m_pszAppName : std::wstring();
    if (g_observer) g_observer->MessageBoxShown(wide, caption, type);
    return MessageBoxW(GetActiveWindow(), wide.c_str(), caption.c_str(), type);
}

// Nothing to do: no page holds an OLE control, and the 3D look is the system's own.
void AfxEnableControlContainer() {}
BOOL Enable3dControlsStatic() { return TRUE; }

void SetFrameworkObserver(FrameworkObserver* observer) { g_observer = observer; }

}  // namespace tq::ui
