#pragma once
// The window system's primitives for the logic: captions of child windows
// and menu entries, a timer, a window, the end of the program.
#include <windows.h>

#include <string>

#include "ui/Caption.h"
#include "ui/Timer.h"
#include "ui/Twips.h"
#include "ui/Window.h"

namespace ui {

// A window's whole text.
std::wstring windowText(HWND window);

// A child control, laid out in twips.
struct ControlSpec {
    int id;
    const wchar_t* windowClass;
    const wchar_t* caption;
    TwipsRect twips;
    DWORD style;
};

// Creates the control at the screen's density and gives it the font.
HWND createControl(HWND parent, HINSTANCE instance, const ControlSpec& spec, HFONT font, int dpiX, int dpiY);

// The window text is the caption, so screen readers and tests see the state;
// a copy is kept so reading costs nothing and an unchanged text is not redrawn.
class WindowCaption final : public Caption {
public:
    explicit WindowCaption(HWND control);
    std::wstring caption() const override { return text_; }
    void setCaption(const std::wstring& text) override;

private:
    HWND control_;
    std::wstring text_;
};

class MenuItemCaption final : public Caption {
public:
    MenuItemCaption(HMENU menu, UINT id, std::wstring initial) : menu_(menu), id_(id), text_(std::move(initial)) {}
    std::wstring caption() const override { return text_; }
    void setCaption(const std::wstring& text) override;

private:
    HMENU menu_;
    UINT id_;
    std::wstring text_;
};

// A repeating timer of a window, made before the window and bound to it once
// it exists; it ticks from then on if enabled. An extra tick asked for
// arrives as WMAPP_TICK with the timer's id.
class Win32Timer final : public Timer {
public:
    Win32Timer(UINT_PTR id, UINT intervalMs, bool enabled) : id_(id), interval_(intervalMs), enabled_(enabled) {}
    void attach(HWND window);
    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override;
    void requestTick() override;

private:
    HWND window_ = nullptr;
    UINT_PTR id_;
    UINT interval_;
    bool enabled_ = false;
};

class Win32Program final : public Program {
public:
    void end() override { PostQuitMessage(0); }
    std::wstring directory() const override;
};

// Screen density, in dots per inch, for the twips conversions.
int screenDpiX();
int screenDpiY();

// The windows' design font, "MS Sans Serif" 8.25 point, owned by the caller.
HFONT createDesignFont(int dpi, bool bold = false, bool underline = false, int shrinkPixels = 0);

// Width of a text in pixels, set in the given font.
int textWidth(HFONT font, const wchar_t* text);

} // namespace ui
