#pragma once
#include <string>

namespace platform {

// The program's one icon in the notification area.
class NotifyIcon {
public:
    virtual ~NotifyIcon() = default;
    // False when the shell did not take it (not running yet, say).
    virtual bool add(const std::wstring& tip) = 0;
    virtual void remove() = 0;
};

} // namespace platform
