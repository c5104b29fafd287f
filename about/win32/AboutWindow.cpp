#include "about/win32/AboutWindow.h"

#include "ui/Twips.h"
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

    RECT outer{0, 0, twipsToPixels(kClientWidthTwips, screenDpiX()), twipsToPixels(kClientHeightTwips, screenDpiY())};
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    const int w = outer.right - outer.left;
    const int h = outer.bottom - outer.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    return CreateWindowExW(kExStyle, kAboutWindowClass, L"About Varnok", kStyle, x, y, w, h, owner_, nullptr, instance_,
                           this) != nullptr;
}

LRESULT AboutWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FORM2_LABEL3 && HIWORD(wParam) == BN_CLICKED) form_.Label3_Click();
        if (LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd_); // Esc
        return 0;
    case WM_DRAWITEM: drawLink(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
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
    const int dpiX = screenDpiX();
    const int dpiY = screenDpiY();
    defaultFont_.reset(createDesignFont(dpiY));
    boldFont_.reset(createDesignFont(dpiY, true));
    linkFont_.reset(createDesignFont(dpiY, true, true));
    const struct {
        ControlSpec spec;
        HFONT font;
    } labels[] = {
        {{IDC_FORM2_LABEL1, L"STATIC", kVersionLine, {120, 120, 3135, 240}, kLabel}, boldFont_.get()},
        {{IDC_FORM2_LABEL2, L"STATIC", kCreditLine, {60, 375, 3255, 285}, kLabel}, defaultFont_.get()},
        // A button drawn as a link, so that it takes the focus and Enter or Space.
        {{IDC_FORM2_LABEL3, L"BUTTON", kAddress, {0, 795, 3405, 225},
          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW},
         linkFont_.get()},
    };
    for (const auto& l : labels) {
        createControl(hwnd_, instance_, l.spec, l.font, dpiX, dpiY);
    }
}

void AboutWindow::drawLink(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(item.hDC, linkFont_.get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, kLinkBlue);
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
