// The machine-wide lock as a named mutex in the global namespace.
#include "platform/machine_lock.h"

#include <windows.h>

namespace tq::platform {

const char kMachineLockName[] = "Global\\TQPrinterDrivers.tqinstall";

namespace {

class MutexLock final : public MachineLock {
public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexLock() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }

private:
    HANDLE mutex_;
};

}  // namespace

LockResult AcquireMachineLock(unsigned seconds) {
    // A null DACL: a run as the system account and one as a user open the
    // same mutex (the default DACL would shut the user's run out).
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    HANDLE mutex = CreateMutexA(&attributes, FALSE, kMachineLockName);
    if (!mutex) return {LockWait::Failed, GetLastError(), nullptr};
    const DWORD waited = WaitForSingleObject(mutex, seconds * 1000UL);
    // WAIT_ABANDONED: a run that held it ended without releasing it; ours now.
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        return {LockWait::Acquired, 0, std::make_unique<MutexLock>(mutex)};
    }
    const DWORD error = waited == WAIT_TIMEOUT ? 0 : GetLastError();
    CloseHandle(mutex);
    return {waited == WAIT_TIMEOUT ? LockWait::TimedOut : LockWait::Failed, error, nullptr};
}

}  // namespace tq::platform
