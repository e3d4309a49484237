// Holds tqinstall's machine-wide lock for the Wine tests:
//   hold_lock MARKER SECONDS
// takes the lock, writes MARKER (so the test knows it is held), holds it for
// SECONDS and exits, which releases it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/machine_lock.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const auto held = tq::platform::AcquireMachineLock(0);
    if (held.wait != tq::platform::LockWait::Acquired) return 1;
    if (std::FILE* marker = std::fopen(argv[1], "w")) std::fclose(marker);
    Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
    return 0;
}
