#pragma once
#include <windows.h>

#include "ui/Dialogs.h"
#include "ui/win32/EventLoop.h"

namespace ui {

// Message boxes and the input box, owned by the main window. The boxes come
// to the front: a warning that opens behind the browser is one nobody sees.
class Win32Dialogs final : public Dialogs {
public:
    Win32Dialogs(HINSTANCE instance, EventLoop& loop) : instance_(instance), loop_(loop) {}
    void setOwner(HWND owner) { owner_ = owner; }
    // The density the owner is laid out for; the input box follows it.
    void setOwnerDpi(int dpi) { ownerDpi_ = dpi; }

    Answer askYesNo(const std::wstring& text, const std::wstring& title) override;
    bool questionFits(const std::wstring& text) const override;
    void inform(const std::wstring& text, const std::wstring& title) override;
    void warn(const std::wstring& text, const std::wstring& title) override;
    void prepareQuestion() override;
    std::wstring inputBox(const std::wstring& prompt, const std::wstring& title, const std::wstring& initial) override;

private:
    HINSTANCE instance_;
    HWND owner_ = nullptr;
    int ownerDpi_ = 0;
    EventLoop& loop_;
};

} // namespace ui
