#pragma once
#include <windows.h>
#include <shellapi.h>

#include "platform/NotifyIcon.h"

namespace platform {

// The icon through the shell's first, ANSI record form.
class Win32NotifyIcon final : public NotifyIcon {
public:
    Win32NotifyIcon(HWND owner, UINT id, UINT callbackMessage, HICON icon)
        : owner_(owner), id_(id), callback_(callbackMessage), icon_(icon) {}

    bool add(const std::wstring& tip) override;
    void remove() override;

private:
    NOTIFYICONDATAA record() const;

    HWND owner_;
    UINT id_;
    UINT callback_;
    HICON icon_;
};

} // namespace platform
