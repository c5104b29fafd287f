#pragma once
#include <chrono>

namespace platform {

// Time since some fixed moment, never set back: a remembered answer ages
// with it however the date and time of day are changed.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::milliseconds now() const = 0;
};

} // namespace platform
