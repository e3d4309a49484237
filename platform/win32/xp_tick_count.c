/* GetTickCount64 for the shipped programs, so that they start on Windows XP.

   The static winpthread runtime (pulled in by libstdc++ and libgcc's unwinder)
   calls GetTickCount64 through its import pointer. XP's KERNEL32 lacks that
   function, and a program importing it is refused by XP's loader. Defining the
   import pointer here satisfies the runtime's reference, so the linker takes
   nothing from libkernel32.a for it and the exe imports no GetTickCount64.

   The pointer leads to a function that asks KERNEL32 for the real
   GetTickCount64 (Vista and later) and otherwise counts milliseconds with the
   performance counter, which XP has, which never wraps and which every
   thread may read without a lock. winpthread only takes differences of these
   values (timeouts), so a count from another origin than boot is fine. */
#include <windows.h>

typedef ULONGLONG(WINAPI* TickCount64)(void);

static ULONGLONG WINAPI PerformanceCounterMilliseconds(void) {
    LARGE_INTEGER frequency, counter;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart == 0 || !QueryPerformanceCounter(&counter))
        return GetTickCount();
    return (ULONGLONG)(counter.QuadPart / frequency.QuadPart) * 1000u +
           (ULONGLONG)(counter.QuadPart % frequency.QuadPart) * 1000u / (ULONGLONG)frequency.QuadPart;
}

static ULONGLONG WINAPI TickCount64Shim(void) {
    /* Resolved once; a race only resolves it twice to the same value. */
    static volatile TickCount64 resolved;
    TickCount64 function = resolved;
    if (!function) {
        HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
        FARPROC found = kernel32 ? GetProcAddress(kernel32, "GetTickCount64") : NULL;
        function = found ? (TickCount64)(void*)found : PerformanceCounterMilliseconds;
        resolved = function;
    }
    return function();
}

/* The import pointer's name as the linker knows it (stdcall decoration on x86). */
#if defined(_WIN64)
#define TQ_IMPORT_POINTER "__imp_GetTickCount64"
#else
#define TQ_IMPORT_POINTER "__imp__GetTickCount64@0"
#endif
TickCount64 const tq_get_tick_count_64_import __asm__(TQ_IMPORT_POINTER) = TickCount64Shim;
