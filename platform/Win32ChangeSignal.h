#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/ChangeSignal.h"
#include "platform/unique_handles.h"

namespace platform {

// The registry's change notification on a key and on its parent: the parent
// reports the key itself being deleted or created, which a bare deletion
// reports to nobody else.
class Win32ChangeSignal final : public ChangeSignal {
public:
    Win32ChangeSignal(HKEY root, std::wstring key);

    bool consumeChange() override;
    // The events the event loop waits on: the key's, then its parent's.
    std::vector<HANDLE> handles() const;
    // After the event of that index fired: take note, reset and arm again.
    // Each arming reports one change.
    void acknowledge(size_t which);

private:
    struct Watch {
        std::wstring path;
        DWORD filter;
        unique_hkey key;
        unique_handle event;
        bool armed = false;
    };
    void arm(Watch& w);

    HKEY root_;
    Watch key_, parent_;
    bool dirty_ = true;
};

class Win32Clock final : public Clock {
public:
    std::uint64_t nowMs() const override { return GetTickCount64(); }
};

} // namespace platform
