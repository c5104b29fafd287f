#include "platform/win32/Win32NotifyIcon.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "platform/win32/Ansi.h"

namespace platform {
namespace {

// A copy with an alpha channel, clear where the mask is. Wine's shell sends
// an icon's mask to the notification area some rows short when its width is
// not a multiple of 16 (20 and 24 px at 125 and 150 %), which shows as a
// black bar; an image with alpha is drawn without its mask.
HICON withAlpha(HICON icon) {
    ICONINFO ii{};
    if (!icon || !GetIconInfo(icon, &ii)) return nullptr;
    const unique_hbitmap mask(ii.hbmMask), colour(ii.hbmColor);
    BITMAP bm{};
    BITMAPINFO bi{};
    void* bits = nullptr;
    if (!colour || !GetObjectW(mask.get(), sizeof bm, &bm)) return CopyIcon(icon);
    bi.bmiHeader = {sizeof bi.bmiHeader, bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const unique_hbitmap argb(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    const unique_hdc dc(CreateCompatibleDC(nullptr));
    std::vector<DWORD> clear(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    if (!argb || !dc || !GetDIBits(dc.get(), mask.get(), 0, bm.bmHeight, clear.data(), &bi, DIB_RGB_COLORS)) {
        return CopyIcon(icon);
    }
    const HGDIOBJ old = SelectObject(dc.get(), argb.get());
    DrawIconEx(dc.get(), 0, 0, icon, bm.bmWidth, bm.bmHeight, 0, nullptr, DI_IMAGE);
    SelectObject(dc.get(), old);
    auto* pixels = static_cast<DWORD*>(bits);
    for (size_t i = 0; i < clear.size(); ++i) pixels[i] = (clear[i] & 0xFFFFFF) ? 0 : pixels[i] | 0xFF000000;
    ICONINFO made{TRUE, 0, 0, mask.get(), argb.get()};
    return CreateIconIndirect(&made);
}

} // namespace

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
    nid.hIcon = shown_.get();
    // The first record form holds 64 characters of tip: the text, its NUL,
    // then spaces.
    constexpr size_t field = 64;
    std::memset(nid.szTip, ' ', field);
    const std::string ansi = toAnsi(tip).value_or(std::string()).substr(0, field - 1);
    std::memcpy(nid.szTip, ansi.c_str(), ansi.size() + 1);
    // A shell still starting at sign-in can report a failed add and show the
    // icon all the same; then a second add fails as a duplicate, and a
    // modify tells that the icon is there.
    added_ = Shell_NotifyIconA(NIM_ADD, &nid) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
    return added_;
}

void Win32NotifyIcon::remove() {
    NOTIFYICONDATAA nid = record();
    Shell_NotifyIconA(NIM_DELETE, &nid);
    added_ = false;
}

void Win32NotifyIcon::setIcon(HICON icon) {
    icon_ = icon;
    unique_hicon next(withAlpha(icon));
    if (added_) { // else the next add shows it
        NOTIFYICONDATAA nid = record();
        nid.uFlags = NIF_ICON;
        nid.hIcon = next.get();
        Shell_NotifyIconA(NIM_MODIFY, &nid);
    }
    shown_ = std::move(next); // the shell has its own copy of the old one
}

} // namespace platform
