#pragma once
#include <windows.h>
#include <shellapi.h>

#include "platform/NotifyIcon.h"
#include "platform/win32/unique_handles.h"

namespace platform {

// The icon through the shell's first, ANSI record form.
class Win32NotifyIcon final : public NotifyIcon {
public:
    Win32NotifyIcon(UINT id, UINT callbackMessage) : id_(id), callback_(callbackMessage) {}
    // The window that receives the notifications, and the image shown.
    void attach(HWND owner, HICON icon) {
        owner_ = owner;
        setIcon(icon);
    }

    // A new image (the display scale changed): shown at once if the icon is.
    void setIcon(HICON icon);
    // The image as handed over; the shell is shown a copy of it.
    HICON icon() const { return icon_; }

    bool add(const std::wstring& tip) override;
    void remove() override;

private:
    NOTIFYICONDATAA record() const;

    HWND owner_ = nullptr;
    UINT id_;
    UINT callback_;
    HICON icon_ = nullptr;
    unique_hicon shown_;
    bool added_ = false;
};

} // namespace platform
