// The planting test's control: an exe that loads DLLs the ordinary way, so the
// planted DLL is expected to leave its mark. Shows that the test can fail.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LoadLibraryW(L"winspool.drv");
    LoadLibraryW(L"comctl32.dll");
    return 0;
}
