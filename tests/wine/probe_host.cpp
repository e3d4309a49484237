// Prints what the host probes say on the running system, for the Wine tests:
//   kind=<OsKind> arch=<x86|x64>
#include <cstdio>

#include "install/machine.h"

int main() {
    const tq::OsKind kind = tq::DetectOsKind(tq::Unclassified);
    std::printf("kind=%d arch=%s\n", static_cast<int>(kind), tq::ArchitectureName(tq::DetectArchitecture()));
    return 0;
}
