#pragma once
// The window system's primitives for the logic: captions of child windows
// and menu entries, a timer, a window, the end of the program.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "platform/win32/unique_handles.h"
#include "ui/Caption.h"
#include "ui/Timer.h"
#include "ui/Twips.h"
#include "ui/Window.h"

namespace ui {

// A window's whole text.
std::wstring windowText(HWND window);

// The windows' design font, "MS Sans Serif" 8.25 point, in its three cuts.
enum class DesignFont { Regular, Bold, BoldUnderlined };

// A child control, laid out in twips.
struct ControlSpec {
    int id;
    const wchar_t* windowClass;
    const wchar_t* caption;
    TwipsRect twips;
    DWORD style;
    DesignFont font = DesignFont::Regular;
    // A second fixed caption the control shows in turn; both must fit.
    const wchar_t* alternate = nullptr;
};

// The fonts a window's controls use at one density, one per size and cut.
class ControlFonts {
public:
    HFONT get(DesignFont cut, int height);

private:
    struct Entry {
        DesignFont cut;
        int height;
        platform::unique_hfont font;
    };
    std::vector<Entry> fonts_;
};

// Creates the control; layOutControls gives it its place and font.
HWND createControl(HWND parent, HINSTANCE instance, const ControlSpec& spec);

// Places every control from its twips at this density and gives it the
// design font, made smaller only where its fixed captions would not fit
// otherwise (substituted fonts are wider than the design's). The fonts made
// replace `fonts` once the controls have them.
void layOutControls(HWND parent, std::span<const ControlSpec> specs, int dpi, ControlFonts& fonts);

// Static text in the system's button colours: a pair that stays legible in
// every theme, high contrast included.
HBRUSH systemColours(HDC dc);
bool highContrast();

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
// arrives as WMAPP_TICK with the timer's id; a delayed one as WM_TIMER with
// `delayedId`, a one-shot timer that runs only while a delay does.
class Win32Timer final : public Timer {
public:
    Win32Timer(UINT_PTR id, UINT intervalMs, bool enabled, UINT_PTR delayedId = 0)
        : id_(id), delayedId_(delayedId), interval_(intervalMs), enabled_(enabled) {}
    void attach(HWND window);
    bool enabled() const override { return enabled_; }
    void setEnabled(bool on) override;
    void requestTick() override;
    void requestTickAfter(std::chrono::milliseconds delay) override;
    // Whether a WM_TIMER of this id is the delayed tick, due now; it is then
    // spent.
    bool delayedTickDue(UINT_PTR id);

private:
    HWND window_ = nullptr;
    UINT_PTR id_, delayedId_;
    UINT interval_;
    bool enabled_ = false;
};

class Win32Program final : public Program {
public:
    void end() override { PostQuitMessage(0); }
    std::wstring directory() const override;
};

// The design font's height in pixels at this density.
int designFontHeight(int dpi);
// The design font at a height in pixels, owned by the caller.
HFONT createDesignFont(DesignFont cut, int height);

} // namespace ui
