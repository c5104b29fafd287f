#pragma once
#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace platform {

// One Varnok per user session: a second watcher would ask every question twice.
class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name)
        : mutex_(CreateMutexW(nullptr, FALSE, name)), first_(mutex_ && GetLastError() != ERROR_ALREADY_EXISTS) {}

    bool first() const { return first_; }

private:
    unique_handle mutex_;
    bool first_;
};

} // namespace platform
