#pragma once
#include <windows.h>

#include <optional>

#include "platform/win32/unique_handles.h"
#include "ui/PopupMenu.h"

namespace ui {

// The context menu: Show, Disable, a separator, About Varnok, Exit.
class Win32PopupMenu final : public PopupMenu {
public:
    explicit Win32PopupMenu(HWND owner);

    MenuEntry track() override;
    // Where the next menu opens instead of the pointer (opened from the keyboard).
    void anchorNextAt(POINT screen) { anchor_ = screen; }
    HMENU handle() const { return menu_.get(); }

private:
    HWND owner_;
    platform::unique_hmenu menu_;
    std::optional<POINT> anchor_;
};

} // namespace ui
