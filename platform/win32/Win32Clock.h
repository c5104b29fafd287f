#pragma once
#include <windows.h>

#include "platform/Clock.h"

namespace platform {

// The time since the system started: read from memory that the system
// keeps current, no call into the kernel.
class Win32Clock final : public Clock {
public:
    std::chrono::milliseconds now() const override { return std::chrono::milliseconds(GetTickCount64()); }
};

} // namespace platform
