/* The floor for the wizard's start-up benchmark (tools/bench_startup.py): a
   program that only shows one dialog from a template of the wizard's first
   page's size, style and font, and closes when told to. */
#include <windows.h>

#define IDD_BARE 100

static INT_PTR CALLBACK BareProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    (void)lparam;
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
    (void)previous;
    (void)command;
    (void)show;
    return (int)DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_BARE), NULL, BareProc, 0);
}
