// One tqinstall run that changes the machine at a time, machine-wide: on
// Windows a named mutex in the global namespace, so that a startup script and
// a management tool (and the sessions of several users) never interleave.
#pragma once

#include <memory>

namespace tq::platform {

// Held while it lives; released when destroyed (also when the process ends).
class MachineLock {
public:
    virtual ~MachineLock() = default;
};

enum class LockWait {
    Acquired,  // the lock is ours
    TimedOut,  // another run held it for the whole wait
    Failed,    // the lock could not be made (the reason in `error`)
};

struct LockResult {
    LockWait wait = LockWait::Failed;
    unsigned long error = 0;
    std::unique_ptr<MachineLock> lock;
};

// The name of the lock: "Global\TQPrinterDrivers.tqinstall".
extern const char kMachineLockName[];

// Waits up to `seconds` for the lock. Where there is no Win32 the lock is
// acquired at once (nothing there changes a machine).
LockResult AcquireMachineLock(unsigned seconds);

}  // namespace tq::platform
