// Test-only part of TQSetupProbe.exe (the wizard plus this file; never shipped).
// It watches the framework and appends one JSON line per event to the file
// named by TQ_PROBE_FILE: a snapshot of a dialog's controls when it has opened
// and after each command it handled, when a dialog object is destroyed, every
// message box and help request.
// Keys: F12 snapshots the active dialog, F11 sends it the system command
// 0x001F, F10 opens the Create Port dialog on the machine's spooler.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/system_services.h"
#include "ui/framework/framework.h"
#include "ui/framework/text.h"
#include "ui/pages.h"

namespace {

using nlohmann::json;
using tq::ui::ToUtf8;

std::string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return ToUtf8(text);
}

std::string ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return ToUtf8(name);
}

json RectOf(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return json::array({r.left, r.top, r.right, r.bottom});
}

json Control(HWND hwnd) {
    json c;
    c["id"] = static_cast<int>(static_cast<short>(GetDlgCtrlID(hwnd)));
    std::string cls = ClassName(hwnd);
    c["class"] = cls;
    c["text"] = WindowText(hwnd);
    c["visible"] = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    c["enabled"] = IsWindowEnabled(hwnd) != FALSE;
    c["rect"] = RectOf(hwnd);
    if (_wcsicmp(std::wstring(cls.begin(), cls.end()).c_str(), L"Button") == 0) {
        c["checked"] = SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    } else if (_wcsicmp(std::wstring(cls.begin(), cls.end()).c_str(), L"ComboBox") == 0) {
        json items = json::array();
        int count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            int len = static_cast<int>(SendMessageW(hwnd, CB_GETLBTEXTLEN, i, 0));
            std::wstring item(static_cast<size_t>(len) + 1, L'\0');
            SendMessageW(hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(static_cast<size_t>(len));
            items.push_back(ToUtf8(item));
        }
        c["items"] = items;
        c["selected"] = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    } else if (cls == "SysListView32") {
        json rows = json::array();
        HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
        int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
        json headings = json::array();
        for (int col = 0; col < columns; ++col) {
            wchar_t text[256] = {};
            LVCOLUMNW lc{};
            lc.mask = LVCF_TEXT | LVCF_WIDTH;
            lc.pszText = text;
            lc.cchTextMax = 256;
            SendMessageW(hwnd, LVM_GETCOLUMNW, col, reinterpret_cast<LPARAM>(&lc));
            headings.push_back({{"text", ToUtf8(text)}, {"width", lc.cx}});
        }
        c["columns"] = headings;
        int count = static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            json texts = json::array();
            for (int col = 0; col < columns; ++col) {
                wchar_t text[512] = {};
                LVITEMW item{};
                item.iSubItem = col;
                item.pszText = text;
                item.cchTextMax = 512;
                SendMessageW(hwnd, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(&item));
                texts.push_back(ToUtf8(text));
            }
            UINT state = static_cast<UINT>(SendMessageW(hwnd, LVM_GETITEMSTATE, i, LVIS_SELECTED | LVIS_FOCUSED));
            // The row's place on the screen, for a click on it.
            RECT bounds{};
            bounds.left = LVIR_LABEL;
            SendMessageW(hwnd, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&bounds));
            MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
            rows.push_back({{"texts", texts},
                            {"selected", (state & LVIS_SELECTED) != 0},
                            {"focused", (state & LVIS_FOCUSED) != 0},
                            {"rect", {bounds.left, bounds.top, bounds.right, bounds.bottom}}});
        }
        c["rows"] = rows;
        c["extended_style"] = static_cast<unsigned>(SendMessageW(hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    } else if (cls == "msctls_progress32") {
        c["pos"] = static_cast<int>(SendMessageW(hwnd, PBM_GETPOS, 0, 0));
        c["range"] = {SendMessageW(hwnd, PBM_GETRANGE, TRUE, 0), SendMessageW(hwnd, PBM_GETRANGE, FALSE, 0)};
    }
    return c;
}

json SystemMenu(HWND hwnd) {
    json items = json::array();
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return items;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({{"id", info.wID}, {"separator", (info.fType & MFT_SEPARATOR) != 0}, {"text", ToUtf8(text)}});
    }
    return items;
}

class Probe : public tq::ui::FrameworkObserver {
public:
    Probe() {
        const char* path = std::getenv("TQ_PROBE_FILE");
        if (!path || !*path) return;
        path_ = path;
        tq::ui::SetFrameworkObserver(this);
    }

    void DialogOpened(tq::ui::CDialog& dialog) override {
        // Hooked only once the program runs, after it has restricted DLL loading.
        if (!hook_) hook_ = SetWindowsHookExW(WH_KEYBOARD, &Probe::KeyHook, nullptr, GetCurrentThreadId());
        Snapshot(dialog.m_hWnd, &dialog, "opened");
    }
    void CommandHandled(tq::ui::CDialog& dialog, UINT id, UINT code) override {
        json extra = {{"command", id}, {"code", code}};
        Snapshot(dialog.m_hWnd, &dialog, "command", extra);
    }
    void MessageBoxShown(const std::wstring& text, const std::wstring& caption, UINT type) override {
        Write({{"event", "messagebox"}, {"text", ToUtf8(text)}, {"caption", ToUtf8(caption)}, {"type", type}});
    }
    void HelpRequested(const std::wstring& file, DWORD topic) override {
        Write({{"event", "help"}, {"file", ToUtf8(file)}, {"topic", topic}});
    }
    void DialogDestroyed(tq::ui::CDialog& dialog) override {
        Write({{"event", "destroyed"}, {"template", static_cast<int>(dialog.TemplateId())},
               {"object", reinterpret_cast<std::uintptr_t>(&dialog)}});
    }
    ~Probe() override {
        // Page objects still alive at exit are destroyed after this one.
        if (!path_.empty()) tq::ui::SetFrameworkObserver(nullptr);
    }

private:
    void Snapshot(HWND hwnd, tq::ui::CDialog* dialog, const char* event, json extra = json::object()) {
        json s = extra;
        s["event"] = event;
        s["template"] = dialog ? static_cast<int>(dialog->TemplateId()) : 0;
        s["object"] = reinterpret_cast<std::uintptr_t>(dialog);
        s["hwnd"] = reinterpret_cast<std::uintptr_t>(hwnd);
        // The X window Wine shows the dialog in (a window property Wine's X11
        // driver sets; none on Windows), so that a test can wait until X maps it.
        s["xwindow"] = reinterpret_cast<std::uintptr_t>(GetPropW(hwnd, L"__wine_x11_whole_window"));
        s["owner"] = reinterpret_cast<std::uintptr_t>(GetWindow(hwnd, GW_OWNER));
        s["caption"] = WindowText(hwnd);
        s["rect"] = RectOf(hwnd);
        RECT client;
        GetClientRect(hwnd, &client);
        POINT origin{0, 0};
        ClientToScreen(hwnd, &origin);
        s["client_origin"] = {origin.x, origin.y};
        s["big_icon"] = SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0) != 0;
        s["small_icon"] = SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0) != 0;
        s["system_menu"] = SystemMenu(hwnd);
        HWND focus = GetFocus();
        s["focus"] = focus ? static_cast<int>(static_cast<short>(GetDlgCtrlID(focus))) : 0;
        s["active"] = reinterpret_cast<std::uintptr_t>(GetActiveWindow());
        json controls = json::array();
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            controls.push_back(Control(child));
        }
        s["controls"] = controls;
        Write(s);
    }

    void Write(json record) {
        record["seq"] = ++seq_;
        std::ofstream out(path_, std::ios::app | std::ios::binary);
        out << record.dump() << "\n";
    }

    // The top-level window that takes the keys: the focus window's root.
    static HWND KeyTarget() {
        HWND focus = GetFocus();
        HWND root = focus ? GetAncestor(focus, GA_ROOT) : nullptr;
        return root ? root : GetActiveWindow();
    }

    static LRESULT CALLBACK KeyHook(int code, WPARAM key, LPARAM flags) {
        if (code < 0 || (key != VK_F10 && key != VK_F11 && key != VK_F12)) {
            return CallNextHookEx(nullptr, code, key, flags);
        }
        // The probe's keys never reach a window: on the release of F10 the
        // default window procedure enters menu mode, which holds back the
        // showing of a dialog opened meanwhile and takes the next click.
        bool down = code == HC_ACTION && (flags & (1u << 31)) == 0 && (flags & (1u << 30)) == 0;
        if (down && key == VK_F12) {
            HWND target = KeyTarget();
            instance.Snapshot(target, tq::ui::CDialog::FromWindow(target), "demand");
        } else if (down && key == VK_F11) {
            PostMessageW(KeyTarget(), WM_SYSCOMMAND, 0x001F, 0);
        } else if (down && key == VK_F10 && !createPortPending) {
            // Run from a timer so the dialog's modal loop runs outside the hook;
            // one at a time, since a timer left firing keeps a modal loop busy
            // and the dialog would never be shown.
            createPortPending = true;
            SetTimer(nullptr, 0, 10, &Probe::OpenCreatePort);
        }
        return 1;
    }

    static void CALLBACK OpenCreatePort(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        static bool running = false;
        if (running) return;
        running = true;
        std::unique_ptr<tq::platform::Spooler> spooler = tq::platform::SystemSpooler();
        tq::ui::CCreatePortDlg dialog(*spooler);
        INT_PTR result = dialog.DoModal();
        instance.Write({{"event", "closed"}, {"template", IDD_CREATE_PORT}, {"result", result}});
        running = false;
        createPortPending = false;
    }

    static inline bool createPortPending = false;

    std::string path_;
    HHOOK hook_ = nullptr;
    int seq_ = 0;

public:
    static Probe instance;
};

Probe Probe::instance;

}  // namespace
