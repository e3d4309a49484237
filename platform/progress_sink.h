// Receives the installation run's progress positions (10 .. 100): the
// wizard's progress bar, tqinstall's progress lines.
#pragma once

namespace tq::platform {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetPosition(int position) = 0;
};

}  // namespace tq::platform
