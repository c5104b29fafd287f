#include "about/win32/AboutWindow.h"

#include "ui/Twips.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/WindowProc.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/ids.h"

namespace about {

using namespace ui;

// The logic numbers it as Windows does.
static_assert(kShowNormal == SW_SHOWNORMAL);

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX;
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);
constexpr int kClientWidthTwips = 3390;
constexpr int kClientHeightTwips = 1155;

constexpr ControlSpec kLabels[] = {
    {IDC_FORM2_LABEL1, L"STATIC", kVersionLine, {120, 120, 3135, 240}, kLabel, DesignFont::Bold},
    {IDC_FORM2_LABEL2, L"STATIC", kCreditLine, {60, 375, 3255, 285}, kLabel},
    // A button drawn as a link, so that it takes the focus and Enter or Space.
    {IDC_FORM2_LABEL3, L"BUTTON", kAddress, {0, 795, 3405, 225}, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
     DesignFont::BoldUnderlined},
};

// The client area the labels need at this density.
SIZE clientAt(int dpi) { return {twipsToPixels(kClientWidthTwips, dpi), twipsToPixels(kClientHeightTwips, dpi)}; }

// The window's size at this density, centred on the screen.
RECT frameAt(int dpi) {
    const SIZE size = frameAround(clientAt(dpi), kStyle, kExStyle, dpi);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    return {x, y, x + size.cx, y + size.cy};
}

// The system's hyperlink colour where the user chose high contrast.
COLORREF linkColour() { return highContrast() ? GetSysColor(COLOR_HOTLIGHT) : kLinkBlue; }

} // namespace

AboutWindow::AboutWindow(HINSTANCE instance, const Program& program, platform::Launcher& launcher)
    : instance_(instance), form_(*this, program, launcher) {}

AboutWindow::~AboutWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void AboutWindow::show() {
    if (!hwnd_ && !create()) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void AboutWindow::hide() {
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void AboutWindow::unload() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool AboutWindow::create() {
    if (!registerWindowClass(instance_, kAboutWindowClass, routeToObject<AboutWindow>)) return false;

    const int dpi = systemDpi();
    const RECT frame = frameAt(dpi);
    if (!CreateWindowExW(kExStyle, kAboutWindowClass, L"About Varnok", kStyle, frame.left, frame.top,
                         frame.right - frame.left, frame.bottom - frame.top, owner_, nullptr, instance_, this)) {
        return false;
    }
    // The labels follow the scale of the window's monitor, which may not be
    // the system's; now the frame does, and holds the client area they need.
    placeWindow(hwnd_, frameAt(dpi_), clientAt(dpi_));
    return true;
}

LRESULT AboutWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FORM2_LABEL3 && HIWORD(wParam) == BN_CLICKED) form_.Label3_Click();
        if (LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd_); // Esc
        return 0;
    case WM_DRAWITEM: drawLink(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DPICHANGED: onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_CTLCOLORSTATIC: return reinterpret_cast<LRESULT>(systemColours(reinterpret_cast<HDC>(wParam)));
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE: onThemeChanged(); return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == GetDlgItem(hwnd_, IDC_FORM2_LABEL3)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return DefWindowProcW(hwnd_, msg, wParam, lParam);
    default: return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void AboutWindow::onCreate() {
    for (const auto& l : kLabels) {
        createControl(hwnd_, instance_, l);
    }
    dpi_ = dpiOf(hwnd_);
    layOutControls(hwnd_, kLabels, dpi_, fonts_);
}

void AboutWindow::onDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    layOutControls(hwnd_, kLabels, dpi, fonts_);
    placeWindow(hwnd_, suggested, clientAt(dpi));
}

// High contrast on or off: the link's colour follows at once.
void AboutWindow::onThemeChanged() {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void AboutWindow::drawLink(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(item.hDC, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, linkColour());
    DrawTextW(item.hDC, kAddress, -1, &r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) {
        RECT focus{};
        DrawTextW(item.hDC, kAddress, -1, &focus, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        const int w = focus.right - focus.left;
        focus = {r.left + (r.right - r.left - w) / 2 - 1, r.top, r.left + (r.right - r.left + w) / 2 + 1, r.bottom};
        DrawFocusRect(item.hDC, &focus);
    }
    SelectObject(item.hDC, old);
}

bool AboutWindow::preTranslateMessage(MSG& msg) {
    if (!hwnd_) return false;
    // Enter on the focused link follows it, as Space does.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == GetDlgItem(hwnd_, IDC_FORM2_LABEL3)) {
        form_.Label3_Click();
        return true;
    }
    return IsDialogMessageW(hwnd_, &msg);
}

} // namespace about
