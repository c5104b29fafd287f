#pragma once

namespace ui {

// A repeating timer: ticks arrive through the event loop only while enabled.
class Timer {
public:
    virtual ~Timer() = default;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
};

} // namespace ui
