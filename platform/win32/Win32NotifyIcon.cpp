#include "platform/win32/Win32NotifyIcon.h"

#include <shellapi.h>

#include <cstring>

#include "platform/win32/Ansi.h"

namespace platform {

NOTIFYICONDATAA Win32NotifyIcon::record() const {
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = owner_;
    nid.uID = id_;
    return nid;
}

bool Win32NotifyIcon::add(const std::wstring& tip) {
    NOTIFYICONDATAA nid = record();
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = callback_;
    nid.hIcon = icon_;
    // The first record form holds 64 characters of tip: the text, its NUL,
    // then spaces.
    constexpr size_t field = 64;
    std::memset(nid.szTip, ' ', field);
    const std::string ansi = toAnsi(tip).substr(0, field - 1);
    std::memcpy(nid.szTip, ansi.c_str(), ansi.size() + 1);
    added_ = Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
    return added_;
}

void Win32NotifyIcon::remove() {
    NOTIFYICONDATAA nid = record();
    Shell_NotifyIconA(NIM_DELETE, &nid);
    added_ = false;
}

void Win32NotifyIcon::setIcon(HICON icon) {
    icon_ = icon;
    if (!added_) return; // the next add shows it
    NOTIFYICONDATAA nid = record();
    nid.uFlags = NIF_ICON;
    nid.hIcon = icon_;
    Shell_NotifyIconA(NIM_MODIFY, &nid);
}

} // namespace platform
