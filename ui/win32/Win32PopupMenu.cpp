#include "ui/win32/Win32PopupMenu.h"

#include "ui/win32/ids.h"

namespace ui {

Win32PopupMenu::Win32PopupMenu(HWND owner) : owner_(owner), menu_(CreatePopupMenu()) {
    AppendMenuW(menu_.get(), MF_STRING, IDM_SHOW, L"Show");
    AppendMenuW(menu_.get(), MF_STRING, IDM_DISABLE, L"Disable");
    AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu_.get(), MF_STRING, IDM_ABOUT, L"About Varnok");
    AppendMenuW(menu_.get(), MF_STRING, IDM_EXIT, L"Exit");
}

MenuEntry Win32PopupMenu::track() {
    POINT at{};
    if (anchor_) {
        at = *anchor_;
        anchor_.reset();
    } else {
        GetCursorPos(&at);
    }
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(owner_);
    const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                           at.x, at.y, owner_, nullptr));
    PostMessageW(owner_, WM_NULL, 0, 0);
    switch (chosen) {
    case IDM_SHOW: return MenuEntry::Show;
    case IDM_DISABLE: return MenuEntry::Disable;
    case IDM_ABOUT: return MenuEntry::About;
    case IDM_EXIT: return MenuEntry::Exit;
    default: return MenuEntry::None;
    }
}

} // namespace ui
