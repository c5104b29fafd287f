#pragma once
#include <windows.h>

#include <array>
#include <span>
#include <string>

#include "platform/win32/unique_handles.h"

namespace platform {

// The registry's change notifications on the watched key and on its parent:
// the parent reports the key itself being deleted or created, which a bare
// deletion reports to nobody else. Each arming reports one change, so a
// watch is armed again as soon as it fires. One that cannot be armed (its key
// missing, no event to signal) is tried again whenever the program wakes;
// meanwhile the program's regular tick reads the value for real.
class RegistryWatch {
public:
    RegistryWatch(HKEY root, std::wstring key);

    // Arms whatever is disarmed, then the events to wait on: one for each
    // armed watch, never a null handle.
    std::span<const HANDLE> waitables();
    // The event at this index of the last waitables() fired: arm it again.
    void signalled(size_t index);
    // Waiting on the events failed: start over with new events and keys.
    void reset();

    bool keyArmed() const { return key_.armed; }
    bool parentArmed() const { return parent_.armed; }

private:
    struct Watch {
        std::wstring path;
        DWORD filter;
        unique_hkey key;
        unique_handle event;
        bool armed = false;
    };
    bool arm(Watch& w);

    HKEY root_;
    Watch key_, parent_;
    std::array<HANDLE, 2> waiting_{};
    std::array<Watch*, 2> waitingFor_{};
    size_t count_ = 0;
};

} // namespace platform
