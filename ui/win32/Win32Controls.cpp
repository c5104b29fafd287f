#include "ui/win32/Win32Controls.h"

#include <initializer_list>

#include "platform/win32/unique_handles.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/ids.h"

namespace ui {
namespace {

bool isPushButton(const ControlSpec& c) {
    return lstrcmpiW(c.windowClass, L"BUTTON") == 0 && (c.style & BS_TYPEMASK) != BS_OWNERDRAW;
}

// Where the control draws its caption: inside its border, and on a push
// button clear of its frame and focus rectangle.
SIZE captionRoom(const ControlSpec& c, int dpi) {
    SIZE room{twipsToPixels(c.twips.width, dpi), twipsToPixels(c.twips.height, dpi)};
    if (c.style & WS_BORDER) {
        room.cx -= 2 * metricAt(SM_CXBORDER, dpi);
        room.cy -= 2 * metricAt(SM_CYBORDER, dpi);
    }
    if (isPushButton(c)) {
        room.cx -= 4 * metricAt(SM_CXEDGE, dpi);
        room.cy -= 4 * metricAt(SM_CYEDGE, dpi);
    }
    return room;
}

bool captionsFit(HDC dc, HFONT font, const ControlSpec& c, SIZE room) {
    // Only push buttons show an access key; the rest draw '&' as it is.
    const UINT format = DT_CALCRECT | DT_SINGLELINE | (isPushButton(c) ? 0 : DT_NOPREFIX);
    const HGDIOBJ old = SelectObject(dc, font);
    bool fit = true;
    for (const wchar_t* text : {c.caption, c.alternate}) {
        if (!text || !*text) continue;
        RECT r{};
        DrawTextW(dc, text, -1, &r, format);
        fit = fit && r.right <= room.cx && r.bottom <= room.cy;
    }
    SelectObject(dc, old);
    return fit;
}

// The design height where the captions fit, else the largest smaller one
// that does, measured rather than guessed: how much wider a substitute is
// differs with the font and the size. Below half the design height the box,
// not the font, would be at fault, so the search stops there.
int fittedHeight(HDC dc, const ControlSpec& c, int dpi) {
    const SIZE room = captionRoom(c, dpi);
    const int design = designFontHeight(dpi);
    int height = design;
    for (; height > design / 2; --height) {
        const platform::unique_hfont font(createDesignFont(c.font, height));
        if (captionsFit(dc, font.get(), c, room)) break;
    }
    return height;
}

} // namespace

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND createControl(HWND parent, HINSTANCE instance, const ControlSpec& spec) {
    return CreateWindowExW(0, spec.windowClass, spec.caption, spec.style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
}

HFONT ControlFonts::get(DesignFont cut, int height) {
    for (const auto& e : fonts_) {
        if (e.cut == cut && e.height == height) return e.font.get();
    }
    fonts_.push_back({cut, height, platform::unique_hfont(createDesignFont(cut, height))});
    return fonts_.back().font.get();
}

void layOutControls(HWND parent, std::span<const ControlSpec> specs, int dpi, ControlFonts& fonts) {
    ControlFonts made;
    const platform::unique_screen_dc dc(GetDC(nullptr));
    for (const auto& c : specs) {
        HWND control = GetDlgItem(parent, c.id);
        SetWindowPos(control, nullptr, twipsToPixels(c.twips.left, dpi), twipsToPixels(c.twips.top, dpi),
                     twipsToPixels(c.twips.width, dpi), twipsToPixels(c.twips.height, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        const HFONT font = made.get(c.font, fittedHeight(dc.get(), c, dpi));
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    fonts = std::move(made);
}

HBRUSH systemColours(HDC dc) {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

bool highContrast() {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

WindowCaption::WindowCaption(HWND control) : control_(control), text_(windowText(control)) {}

void WindowCaption::setCaption(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    SetWindowTextW(control_, text_.c_str());
}

void MenuItemCaption::setCaption(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = text_.data();
    SetMenuItemInfoW(menu_, id_, FALSE, &mii);
}

void Win32Timer::attach(HWND window) {
    window_ = window;
    if (enabled_) SetTimer(window_, id_, interval_, nullptr);
}

void Win32Timer::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    if (!window_) return;
    if (on) {
        SetTimer(window_, id_, interval_, nullptr);
    } else {
        KillTimer(window_, id_);
        if (delayedId_) KillTimer(window_, delayedId_);
    }
}

std::wstring Win32Program::directory() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/"));
}

void Win32Timer::requestTick() {
    if (enabled_ && window_) PostMessageW(window_, WMAPP_TICK, id_, 0);
}

void Win32Timer::requestTickAfter(std::chrono::milliseconds delay) {
    if (!enabled_ || !window_ || !delayedId_) return;
    SetTimer(window_, delayedId_, static_cast<UINT>(delay.count()), nullptr);
}

bool Win32Timer::delayedTickDue(UINT_PTR id) {
    if (!delayedId_ || id != delayedId_) return false;
    KillTimer(window_, delayedId_);
    return enabled_;
}

int designFontHeight(int dpi) { return MulDiv(825, dpi, 7200); }

HFONT createDesignFont(DesignFont cut, int height) {
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = cut == DesignFont::Regular ? FW_NORMAL : FW_BOLD;
    lf.lfUnderline = cut == DesignFont::BoldUnderlined;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

} // namespace ui
