#pragma once
#include <windows.h>
#include <shellapi.h>

#include "platform/NotifyIcon.h"

namespace platform {

// The icon through the shell's first, ANSI record form.
class Win32NotifyIcon final : public NotifyIcon {
public:
    Win32NotifyIcon(UINT id, UINT callbackMessage) : id_(id), callback_(callbackMessage) {}
    // The window that receives the notifications, and the image shown.
    void attach(HWND owner, HICON icon) {
        owner_ = owner;
        icon_ = icon;
    }

    // A new image (the display scale changed): shown at once if the icon is.
    void setIcon(HICON icon);
    HICON icon() const { return icon_; }

    bool add(const std::wstring& tip) override;
    void remove() override;

private:
    NOTIFYICONDATAA record() const;

    HWND owner_ = nullptr;
    UINT id_;
    UINT callback_;
    HICON icon_ = nullptr;
    bool added_ = false;
};

} // namespace platform
