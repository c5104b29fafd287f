#pragma once
#include <cstdint>

namespace platform {

// Tells whether a watched registry key may have changed since last asked.
class ChangeSignal {
public:
    virtual ~ChangeSignal() = default;
    // True when a change was reported since the last call, or when the key
    // cannot be watched right now (missing, say): then only a real read tells.
    virtual bool consumeChange() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t nowMs() const = 0;
};

} // namespace platform
