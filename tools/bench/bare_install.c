/* The floor for tqinstall's start-up benchmark (tools/bench_startup.py): a
   program that makes the Win32 calls of `tqinstall install`, in its order and
   with its arguments, read from a file the benchmark writes from
   `tqinstall plan --json`, and nothing else (no C++ runtime). It makes the
   same 500 ms closing pause, at the same place, so that work Wine finishes
   in the background meanwhile counts alike for both:
     bare_install.exe CALLS
   CALLS holds tab-separated lines:
     package  FOLDER
     environment  ENV
     copy  SOURCE  DESTINATION
     driver  CVERSION  NAME  ENV  DRIVER  DATA  CONFIG  HELP  DEP|DEP|...  MONITOR  DATATYPE
     printer  NAME  PORT  DRIVER  PROCESSOR  DATATYPE
     value  HKEY_CURRENT_USER|HKEY_LOCAL_MACHINE  KEY  NAME  DATA */
#include <windows.h>
#include <winspool.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define MAX_FIELDS 12
#define MAX_COPIES 32
#define MAX_VALUES 4

typedef BOOL(WINAPI* GetDirFn)(LPSTR, LPSTR, DWORD, LPBYTE, DWORD, LPDWORD);
typedef BOOL(WINAPI* AddDriverFn)(LPSTR, DWORD, LPBYTE);
typedef HANDLE(WINAPI* AddPrinterFn)(LPSTR, DWORD, LPBYTE);
typedef BOOL(WINAPI* OpenPrinterFn)(LPSTR, LPHANDLE, LPPRINTER_DEFAULTSA);
typedef BOOL(WINAPI* GetPrinterFn)(HANDLE, DWORD, LPBYTE, DWORD, LPDWORD);
typedef BOOL(WINAPI* ClosePrinterFn)(HANDLE);
typedef BOOL(WINAPI* IsWow64Fn)(HANDLE, PBOOL);

struct Line {
    char* field[MAX_FIELDS];
    int count;
};

static char* Duplicate(const char* text) {
    size_t n = strlen(text) + 1;
    char* copy = (char*)malloc(n);
    memcpy(copy, text, n);
    return copy;
}

static struct Line Split(char* text) {
    struct Line line;
    line.count = 0;
    text[strcspn(text, "\r\n")] = '\0';
    for (char* part = text; line.count < MAX_FIELDS;) {
        char* tab = strchr(part, '\t');
        if (tab) *tab = '\0';
        line.field[line.count++] = Duplicate(part);
        if (!tab) break;
        part = tab + 1;
    }
    return line;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: bare_install CALLS\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "r");
    if (!in) {
        fprintf(stderr, "bare_install: cannot read %s\n", argv[1]);
        return 2;
    }
    struct Line package = {{0}, 0}, environment = {{0}, 0}, driver = {{0}, 0}, printer = {{0}, 0};
    struct Line copies[MAX_COPIES], values[MAX_VALUES];
    int copyCount = 0, valueCount = 0;
    char buffer[4096];
    while (fgets(buffer, sizeof buffer, in)) {
        struct Line line = Split(buffer);
        const char* kind = line.field[0];
        if (!strcmp(kind, "package")) package = line;
        else if (!strcmp(kind, "environment")) environment = line;
        else if (!strcmp(kind, "driver")) driver = line;
        else if (!strcmp(kind, "printer")) printer = line;
        else if (!strcmp(kind, "copy") && copyCount < MAX_COPIES) copies[copyCount++] = line;
        else if (!strcmp(kind, "value") && valueCount < MAX_VALUES) values[valueCount++] = line;
    }
    fclose(in);
    if (package.count < 2 || environment.count < 2 || driver.count < 11 || printer.count < 6) {
        fprintf(stderr, "bare_install: %s lacks a line\n", argv[1]);
        return 2;
    }

    /* The WOW64 decision. */
    OSVERSIONINFOEXA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA((OSVERSIONINFOA*)&version);
    BOOL wow64 = FALSE;
    IsWow64Fn isWow64 = (IsWow64Fn)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process");
    if (isWow64) isWow64(GetCurrentProcess(), &wow64);

    HMODULE spool = LoadLibraryExA("winspool.drv", NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!spool) spool = LoadLibraryA("winspool.drv");
    if (!spool) return 1;
    GetDirFn getDir = (GetDirFn)(void*)GetProcAddress(spool, "GetPrinterDriverDirectoryA");
    AddDriverFn addDriver = (AddDriverFn)(void*)GetProcAddress(spool, "AddPrinterDriverA");
    AddPrinterFn addPrinter = (AddPrinterFn)(void*)GetProcAddress(spool, "AddPrinterA");
    OpenPrinterFn openPrinter = (OpenPrinterFn)(void*)GetProcAddress(spool, "OpenPrinterA");
    GetPrinterFn getPrinter = (GetPrinterFn)(void*)GetProcAddress(spool, "GetPrinterA");
    ClosePrinterFn closePrinter = (ClosePrinterFn)(void*)GetProcAddress(spool, "ClosePrinter");

    SetCurrentDirectoryA(package.field[1]);
    printf("Installing for %s from %s\n", environment.field[1], package.field[1]);

    char directory[MAX_PATH + 1] = {0};
    DWORD needed = 0;
    BOOL ok = getDir(NULL, environment.field[1], 1, (LPBYTE)directory, MAX_PATH, &needed);
    printf("driver directory %s: %s\n", directory, ok ? "ok" : "failed");

    for (int i = 0; i < copyCount; ++i) {
        ok = CopyFileA(copies[i].field[1], copies[i].field[2], FALSE);
        printf("copy %s: %s\n", copies[i].field[1], ok ? "ok" : "failed");
    }

    /* Dependent files: '|' separated in the file, a double-NUL-ended list here. */
    char dependents[1024];
    size_t n = strlen(driver.field[8]);
    memcpy(dependents, driver.field[8], n + 1);
    dependents[n + 1] = '\0';
    for (size_t i = 0; i < n; ++i)
        if (dependents[i] == '|') dependents[i] = '\0';
    DRIVER_INFO_3A info;
    ZeroMemory(&info, sizeof info);
    info.cVersion = (DWORD)atoi(driver.field[1]);
    info.pName = driver.field[2];
    info.pEnvironment = driver.field[3];
    info.pDriverPath = driver.field[4];
    info.pDataFile = driver.field[5];
    info.pConfigFile = driver.field[6];
    info.pHelpFile = driver.field[7];
    info.pDependentFiles = dependents;
    info.pMonitorName = driver.field[9];
    info.pDefaultDataType = driver.field[10];
    ok = addDriver(NULL, 3, (LPBYTE)&info);
    printf("register driver: %s\n", ok ? "ok" : "failed");

    PRINTER_INFO_2A p;
    ZeroMemory(&p, sizeof p);
    p.pPrinterName = printer.field[1];
    p.pPortName = printer.field[2];
    p.pDriverName = printer.field[3];
    p.pPrintProcessor = printer.field[4];
    p.pDatatype = printer.field[5];
    HANDLE handle = addPrinter(NULL, 2, (LPBYTE)&p);
    DWORD added = handle ? ERROR_SUCCESS : GetLastError();
    printf("create printer: %lu\n", added);

    for (int i = 0; i < valueCount; ++i) {
        HKEY root = strcmp(values[i].field[1], "HKEY_LOCAL_MACHINE") ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        HKEY key;
        LONG status = RegOpenKeyExA(root, values[i].field[2], 0, KEY_SET_VALUE, &key);
        if (status == ERROR_SUCCESS) {
            status = RegSetValueExA(key, values[i].field[3], 0, REG_SZ, (const BYTE*)values[i].field[4],
                                    (DWORD)strlen(values[i].field[4]) + 1);
            RegCloseKey(key);
        }
        printf("value %s: %ld\n", values[i].field[3], status);
    }
    closePrinter(handle);
    Sleep(500);

    /* The printer keeps its port: it is asked where it is. */
    if (added == ERROR_SUCCESS || added == ERROR_PRINTER_ALREADY_EXISTS) {
        HANDLE open = NULL;
        if (openPrinter(printer.field[1], &open, NULL)) {
            DWORD size = 0;
            getPrinter(open, 2, NULL, 0, &size);
            BYTE* details = (BYTE*)malloc(size ? size : 1);
            ok = getPrinter(open, 2, details, size, &size);
            printf("printer port: %s\n", ok ? ((PRINTER_INFO_2A*)details)->pPortName : "?");
            free(details);
            closePrinter(open);
        }
    }
    return 0;
}
