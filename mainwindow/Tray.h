#pragma once
#include <cstdint>

#include "platform/NotifyIcon.h"
#include "ui/Timer.h"
#include "varnok_version.h"

namespace mainwindow {

inline constexpr wchar_t kTrayTip[] = L"Varnok v" VARNOK_VERSION_W;
// Mouse messages the shell reports for the icon.
inline constexpr std::uint32_t kTrayDoubleClick = 0x203; // WM_LBUTTONDBLCLK
inline constexpr std::uint32_t kTrayRightUp = 0x205;     // WM_RBUTTONUP

// Keeps the icon present: at logon the shell may not be ready for it yet, and
// a restarted shell has forgotten it.
class TrayIcon {
public:
    static constexpr int kMaxRetries = 10;

    TrayIcon(platform::NotifyIcon& icon, ui::Timer& retryTimer) : icon_(icon), retry_(retryTimer) {}

    void registerIcon();
    void retryTimer_Timer();
    void taskbarCreated();
    void unregisterIcon();

    bool registered() const { return registered_; }

private:
    void tryAdd();

    platform::NotifyIcon& icon_;
    ui::Timer& retry_;
    bool registered_ = false;
    int retriesLeft_ = 0;
};

} // namespace mainwindow
