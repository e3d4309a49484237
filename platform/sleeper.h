// The fixed pause of the installation run.
#pragma once

namespace tq::platform {

class Sleeper {
public:
    virtual ~Sleeper() = default;

    // Sleep(milliseconds).
    virtual void Sleep(unsigned milliseconds) = 0;
};

}  // namespace tq::platform
