#include "mainwindow/win32/MainWindow.h"

#include <utility>

#include "ui/Twips.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Win32PopupMenu.h"
#include "ui/win32/WindowProc.h"
#include "ui/win32/ids.h"

namespace mainwindow {

using namespace ui;

// The logic numbers these as Windows does.
static_assert(kTrayDoubleClick == WM_LBUTTONDBLCLK && kTrayRightUp == WM_RBUTTONUP);
static_assert(kRightButton == MK_RBUTTON);

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// One line each: a substituted font slightly wider than the design's must
// clip a caption, not wrap it out of sight.
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

// In tab order: creation order is the order Tab walks.
constexpr ControlSpec kControls[] = {
    {IDC_LABEL1, L"STATIC", L"Current Home Page:", {60, 90, 1485, 225}, kLabel},
    {IDC_LBLHOMEPAGE, L"STATIC", L"", {1575, 90, 3795, 270}, kLabel | WS_BORDER | SS_ENDELLIPSIS},
    {IDC_CMDCHANGE, L"BUTTON", L"Change", {3915, 375, 1455, 345}, kButton},
    {IDC_LABEL2, L"STATIC", L"Status:", {75, 405, 555, 210}, kLabel},
    {IDC_LBLSTATUS, L"STATIC", watch::kScanning, {765, 405, 3045, 225}, kLabel, DesignFont::Regular, watch::kDisabled},
    {IDC_CMDDISABLE, L"BUTTON", L"Disable", {3915, 780, 1440, 330}, kButton, DesignFont::Regular, L"Enable"},
    {IDC_CMDHIDE, L"BUTTON", L"Hide", {2490, 780, 1380, 330}, kButton},
    {IDC_CMDEXIT, L"BUTTON", L"E&xit", {1080, 780, 1335, 330}, kButton},
};

constexpr TwipsRect kClientTwips{705, 450, 5400, 1170};

// The client area the layout needs at this density.
SIZE clientAt(int dpi) { return {twipsToPixels(kClientTwips.width, dpi), twipsToPixels(kClientTwips.height, dpi)}; }

// The window's place and size at this density, from twips.
RECT frameAt(int dpi) {
    const SIZE size = frameAround(clientAt(dpi), kStyle, kExStyle, dpi);
    const POINT at{twipsToPixels(kClientTwips.left, dpi), twipsToPixels(kClientTwips.top, dpi)};
    return {at.x, at.y, at.x + size.cx, at.y + size.cy};
}

HICON loadIcon(HINSTANCE instance, int cx, int cy) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VARNOK), IMAGE_ICON, cx, cy, 0));
}

// Mouse buttons held, as the handlers number them: 1 left, 2 right, 4 middle.
int buttonsOf(WPARAM keys) {
    int b = 0;
    if (keys & MK_LBUTTON) b |= 1;
    if (keys & MK_RBUTTON) b |= kRightButton;
    if (keys & MK_MBUTTON) b |= 4;
    if (keys & (MK_XBUTTON1 | MK_XBUTTON2)) b |= 8;
    return b;
}

} // namespace

struct MainWindow::Parts {
    Parts(HWND hwnd, const MainWindowServices& s)
        : lblHomePage(GetDlgItem(hwnd, IDC_LBLHOMEPAGE)),
          lblStatus(GetDlgItem(hwnd, IDC_LBLSTATUS)),
          cmdDisable(GetDlgItem(hwnd, IDC_CMDDISABLE)),
          mPopup(hwnd),
          mShow(mPopup.handle(), IDM_SHOW, L"Show"),
          mDisable(mPopup.handle(), IDM_DISABLE, L"Disable"),
          tray(s.notifyIcon, s.trayRetry) {}

    WindowCaption lblHomePage, lblStatus, cmdDisable;
    Win32PopupMenu mPopup;
    MenuItemCaption mShow, mDisable;
    TrayIcon tray;
};

MainWindow::MainWindow(HINSTANCE instance, const MainWindowServices& services) : instance_(instance), s_(services) {}

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::unique_ptr<MainWindow> MainWindow::create(HINSTANCE instance, const MainWindowServices& services) {
    std::unique_ptr<MainWindow> self(new MainWindow(instance, services));
    if (!registerWindowClass(instance, kMainWindowClass, routeToObject<MainWindow>)) return nullptr;

    const int dpi = systemDpi();
    const RECT frame = frameAt(dpi);
    HWND hwnd = CreateWindowExW(kExStyle, kMainWindowClass, L"Varnok", kStyle, frame.left, frame.top,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                self.get());
    if (!hwnd) return nullptr;
    // The controls follow the scale of the window's monitor, which may not be
    // the system's; now the frame does, and holds the client area they need.
    placeWindow(hwnd, frameAt(self->dpi_), clientAt(self->dpi_));
    self->form_->Form_Load();
    return self;
}

LRESULT MainWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Registered messages have no fixed numbers: compare before the switch.
    if (msg >= 0xC000 && onRegisteredMessage(msg)) return 0;
    switch (msg) {
    case WM_CREATE: onCreate(); return 0;
    case WM_TIMER: onTimer(wParam); return 0;
    case WMAPP_TICK: onTimer(wParam); return 0;
    case WM_COMMAND: onCommand(LOWORD(wParam)); return 0;
    case WM_RBUTTONDOWN: onRightButtonDown(wParam); return 0;
    case WM_CONTEXTMENU: onContextMenu(lParam); return 0;
    case WMAPP_NOTIFYCALLBACK: form_->TrayNotify(LOWORD(lParam)); return 0;
    case WM_ACTIVATE: onActivate(wParam); return 0;
    case WM_DPICHANGED: onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_CTLCOLORSTATIC: return reinterpret_cast<LRESULT>(systemColours(reinterpret_cast<HDC>(wParam)));
    case WM_CLOSE: form_->Form_QueryUnload(); return 0;
    case WM_DESTROY: form_->Form_Unload(); return 0;
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION: onEndSession(wParam != FALSE); return 0;
    default: return DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void MainWindow::onCreate() {
    for (const auto& c : kControls) {
        createControl(hwnd_, instance_, c);
    }
    applyDpi(dpiOf(hwnd_));
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    showMessage_ = RegisterWindowMessageW(VARNOK_SHOW_MESSAGE_W);
    exitMessage_ = RegisterWindowMessageW(VARNOK_EXIT_MESSAGE_W);
    // Run elevated, Varnok would lose these to UIPI: the shell's restart
    // (the icon would never come back) and a second start's request.
    ChangeWindowMessageFilterEx(hwnd_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
    ChangeWindowMessageFilterEx(hwnd_, showMessage_, MSGFLT_ALLOW, nullptr);

    s_.Timer1.attach(hwnd_);
    s_.trayRetry.attach(hwnd_);
    s_.dialogs.setOwner(hwnd_);
    loadTrayIcon();
    s_.notifyIcon.attach(hwnd_, trayIcon_.get());
    parts_ = std::make_unique<Parts>(hwnd_, s_);
    auto& p = *parts_;
    form_.emplace(Form1Parts{{p.lblHomePage, p.lblStatus, p.cmdDisable, p.mDisable, s_.Timer1},
                             p.mShow,
                             *this,
                             s_.form2,
                             p.mPopup,
                             s_.dialogs,
                             s_.program,
                             s_.stacking,
                             p.tray,
                             s_.sources,
                             s_.clock});
}

// Controls, fonts and icons for a density; the frame is the caller's.
void MainWindow::applyDpi(int dpi) {
    dpi_ = dpi;
    layOutControls(hwnd_, kControls, dpi, fonts_);
    loadIcons(dpi);
    s_.dialogs.setOwnerDpi(dpi);
}

// The sizes Windows asks for at this density; the old images go once the
// window shows the new ones.
void MainWindow::loadIcons(int dpi) {
    platform::unique_hicon big(loadIcon(instance_, metricAt(SM_CXICON, dpi), metricAt(SM_CYICON, dpi)));
    platform::unique_hicon small(loadIcon(instance_, metricAt(SM_CXSMICON, dpi), metricAt(SM_CYSMICON, dpi)));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

// The notification area is the taskbar's, and so is its scale: the window's
// monitor may have another.
void MainWindow::loadTrayIcon() {
    const int dpi = taskbarDpi();
    const int cx = metricAt(SM_CXSMICON, dpi), cy = metricAt(SM_CYSMICON, dpi);
    if (trayIcon_ && cx == trayIconSize_.cx && cy == trayIconSize_.cy) return;
    platform::unique_hicon icon(loadIcon(instance_, cx, cy));
    s_.notifyIcon.setIcon(icon.get());
    trayIcon_ = std::move(icon);
    trayIconSize_ = {cx, cy};
}

void MainWindow::onDpiChanged(int dpi, const RECT& suggested) {
    applyDpi(dpi);
    loadTrayIcon();
    placeWindow(hwnd_, suggested, clientAt(dpi));
}

void MainWindow::onTaskbarCreated() {
    // The shell also starts again when the display scale changes, and a
    // hidden window may not have been told: catch up before the icon goes
    // back, so that it goes back in the new size.
    const int dpi = dpiOf(hwnd_);
    if (dpi != dpi_) {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        const RECT frame = frameAt(dpi);
        onDpiChanged(dpi, {r.left, r.top, r.left + frame.right - frame.left, r.top + frame.bottom - frame.top});
    }
    loadTrayIcon();
    parts_->tray.taskbarCreated();
}

bool MainWindow::onRegisteredMessage(UINT msg) {
    if (!form_) return false;
    if (msg == taskbarCreated_) {
        onTaskbarCreated();
    } else if (msg == showMessage_) {
        form_->TrayNotify(kTrayDoubleClick);
    } else if (msg == exitMessage_) {
        form_->mExit_Click();
    } else {
        return false;
    }
    return true;
}

void MainWindow::onCommand(UINT id) {
    auto& f = *form_;
    switch (id) {
    case IDC_CMDCHANGE: f.cmdChange_Click(); break;
    case IDC_CMDDISABLE: f.cmdDisable_Click(); break;
    case IDC_CMDHIDE: f.cmdHide_Click(); break;
    case IDC_CMDEXIT: f.cmdExit_Click(); break;
    case IDCANCEL: f.Form_QueryUnload(); break; // Esc, as the close box
    default: break;
    }
}

void MainWindow::onTimer(UINT_PTR id) {
    if (id == IDT_TIMER1) {
        // The safety tick reads through the path: whatever a kept handle
        // cannot see (a key renamed away by a means that notified nobody)
        // is found within a second.
        s_.store.ForgetOpenKeys();
        tickIfWatching();
        // On the first safety tick, not in the start-up: the first question
        // then costs what later ones do.
        if (!std::exchange(questionPrepared_, true) && form_) form_->watch().prepareQuestion();
    }
    if (s_.Timer1.delayedTickDue(id)) tickIfWatching();
    if (id == IDT_TRAY_RETRY) parts_->tray.retryTimer_Timer();
}

void MainWindow::onEndSession(bool ending) {
    // Sent once every program has agreed (never refused here); false when
    // the end was called off.
    if (ending && form_) form_->Form_EndSession();
}

// Ticks come only while watching, whatever their source.
void MainWindow::tickIfWatching() {
    if (form_ && s_.Timer1.enabled()) form_->Timer1_Timer();
}

void MainWindow::onChangeSignal(std::span<const size_t> sources) {
    if (!hwnd_ || !form_) return;
    for (const size_t source : sources) form_->watch().sourceChanged(source);
    tickIfWatching();
}

void MainWindow::onRightButtonDown(WPARAM keys) { form_->Form_MouseDown(buttonsOf(keys)); }

void MainWindow::onContextMenu(LPARAM where) {
    // A right click was handled on its button press; only Shift+F10 and the
    // menu key (which report no position) open the menu here.
    if (where != -1) return;
    POINT at{0, 0};
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) {
        RECT r{};
        GetWindowRect(focus, &r);
        at = {r.left, r.bottom};
    } else {
        ClientToScreen(hwnd_, &at);
    }
    parts_->mPopup.anchorNextAt(at);
    form_->PopupContextMenu();
}

void MainWindow::onActivate(WPARAM state) {
    // Keep the keyboard focus where the user left it across activations.
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    SetFocus(lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : GetDlgItem(hwnd_, IDC_CMDCHANGE));
}

bool MainWindow::preTranslateMessage(MSG& msg) {
    return hwnd_ && IsWindowVisible(hwnd_) && IsDialogMessageW(hwnd_, &msg);
}

void MainWindow::show() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

void MainWindow::hide() { ShowWindow(hwnd_, SW_HIDE); }

void MainWindow::unload() {
    if (hwnd_) DestroyWindow(hwnd_);
}

} // namespace mainwindow
