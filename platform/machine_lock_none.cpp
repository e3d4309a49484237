// Without Win32 nothing changes a machine; the lock is there at once.
#include "platform/machine_lock.h"

namespace tq::platform {

const char kMachineLockName[] = "Global\\TQPrinterDrivers.tqinstall";

LockResult AcquireMachineLock(unsigned) { return {LockWait::Acquired, 0, std::make_unique<MachineLock>()}; }

}  // namespace tq::platform
