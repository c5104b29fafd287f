#pragma once
#include <chrono>

namespace ui {

// A repeating timer: ticks arrive through the event loop only while enabled.
class Timer {
public:
    virtual ~Timer() = default;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
    // A tick as soon as the event loop is free, if enabled: for a comparison
    // that should not wait for the next regular tick.
    virtual void requestTick() = 0;
    // One tick once the delay is over, if enabled then: for a moment that
    // nothing else would report. A later request replaces an earlier one.
    virtual void requestTickAfter(std::chrono::milliseconds delay) = 0;
};

} // namespace ui
