#pragma once

namespace ui {

enum class MenuEntry { None, Show, Disable, About, Exit };

// The context menu at the pointer; entries can be chosen with either button.
// Returns the chosen entry once the menu has closed.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    virtual MenuEntry track() = 0;
};

} // namespace ui
