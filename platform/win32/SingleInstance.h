#pragma once
#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace platform {

// One Varnok per user session: a second watcher would ask every question
// twice. The name only hints that another runs: it may be held by another
// program, or by an object of another type, and then nobody guards.
class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name)
        : mutex_(CreateMutexW(nullptr, FALSE, name)), taken_(!mutex_ || GetLastError() == ERROR_ALREADY_EXISTS) {}

    // The name was taken already, or could not be had.
    bool maybeAnother() const { return taken_; }

private:
    unique_handle mutex_;
    bool taken_;
};

} // namespace platform
