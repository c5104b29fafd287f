#include "ui/win32/Win32Controls.h"

#include "platform/win32/unique_handles.h"
#include "ui/win32/ids.h"

namespace ui {

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND createControl(HWND parent, HINSTANCE instance, const ControlSpec& spec, HFONT font, int dpiX, int dpiY) {
    HWND control = CreateWindowExW(0, spec.windowClass, spec.caption, spec.style, twipsToPixels(spec.twips.left, dpiX),
                                   twipsToPixels(spec.twips.top, dpiY), twipsToPixels(spec.twips.width, dpiX),
                                   twipsToPixels(spec.twips.height, dpiY), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
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

int screenDpiX() {
    platform::unique_screen_dc dc(GetDC(nullptr));
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int screenDpiY() {
    platform::unique_screen_dc dc(GetDC(nullptr));
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

HFONT createDesignFont(int dpi, bool bold, bool underline, int shrinkPixels) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(825, dpi, 7200) + shrinkPixels;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

int textWidth(HFONT font, const wchar_t* text) {
    platform::unique_screen_dc dc(GetDC(nullptr));
    if (!dc) return 0;
    const HGDIOBJ old = SelectObject(dc.get(), font);
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text, lstrlenW(text), &size);
    SelectObject(dc.get(), old);
    return size.cx;
}

} // namespace ui
