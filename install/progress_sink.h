// Receives the installation run's progress positions (10 .. 100).
#pragma once

namespace tq {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetPosition(int position) = 0;
};

}  // namespace tq
