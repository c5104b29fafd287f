#include "ui/win32/QuestionGuard.h"

#include <wtsapi32.h>

#include "ui/AccessKey.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/ids.h"

namespace ui {
namespace {

// The boxes' thread is the program's one UI thread.
QuestionGuard* current = nullptr;

// While the question is behind, it looks again this often whether it has
// come to the front: Wine 8 reports no change of the foreground window.
constexpr UINT kLookAgainMs = 100;

AnswerDelay::Time now() { return AnswerDelay::Time(GetTickCount64()); }

// A hook the system could not set (its heap short, say) is tried again before
// the question gives up being shown.
HHOOK setHook(int kind, HOOKPROC proc) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (const HHOOK h = SetWindowsHookExW(kind, proc, nullptr, GetCurrentThreadId())) return h;
        Sleep(attempt * 10);
    }
    return nullptr;
}

bool isMouseButton(WPARAM msg) {
    return (msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK) || (msg >= WM_XBUTTONDOWN && msg <= WM_XBUTTONDBLCLK) ||
           (msg >= WM_NCLBUTTONDOWN && msg <= WM_NCMBUTTONDBLCLK) || (msg >= WM_NCXBUTTONDOWN && msg <= WM_NCXBUTTONDBLCLK);
}

bool isDialog(HWND w) {
    wchar_t cls[16]{};
    return GetClassNameW(w, cls, 16) && lstrcmpW(cls, L"#32770") == 0;
}

} // namespace

QuestionGuard::QuestionGuard() : outer_(current) {
    current = this;
    creation_.reset(setHook(WH_CBT, onCreation));
    keys_.reset(setHook(WH_KEYBOARD, onKey));
    buttons_.reset(setHook(WH_MOUSE, onMouse));
}

QuestionGuard::~QuestionGuard() { current = outer_; }

void QuestionGuard::prepare() {
    const QuestionGuard hooks;
    const platform::unique_hwinevent foreground(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                                                                onForeground, 0, 0, WINEVENT_OUTOFCONTEXT));
}

LRESULT CALLBACK QuestionGuard::onCreation(int code, WPARAM wParam, LPARAM lParam) {
    const auto w = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && current && !current->box_ && isDialog(w)) current->adopt(w);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Before the box has its controls, or any message: it is inert from the
// first moment it shows.
void QuestionGuard::adopt(HWND box) {
    box_ = box;
    boxDefault_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&QuestionGuard::boxProc)));
    creation_.reset();
}

// Every key, pressed or released, that the thread takes from its queue,
// whichever of its windows it is for.
LRESULT CALLBACK QuestionGuard::onKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && current) current->input();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Mouse buttons only: moving the pointer to a button is how one answers.
LRESULT CALLBACK QuestionGuard::onMouse(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && current && isMouseButton(wParam)) current->input();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

QuestionGuard& QuestionGuard::guardOf(HWND box) {
    QuestionGuard* g = current;
    while (g->box_ != box) g = g->outer_;
    return *g;
}

LRESULT CALLBACK QuestionGuard::boxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
    QuestionGuard& g = guardOf(box);
    switch (msg) {
    case WM_INITDIALOG:
        return g.onInitDialog(wParam, lParam);
    case WM_ACTIVATE:
        g.onActivation(LOWORD(wParam) != WA_INACTIVE);
        break;
    case WM_ACTIVATEAPP:
        g.onActivation(wParam != FALSE);
        break;
    case WM_WTSSESSION_CHANGE:
        g.onSessionChange(wParam);
        break;
    case WM_TIMER:
        if (wParam != IDT_ANSWER_DELAY) break;
        g.look();
        return 0;
    case WM_COMMAND:
        // Whatever would answer it, a button, Enter, Esc or the close box,
        // a message from the keyboard or another program, while inert.
        if (!g.answerable()) return 0;
        break;
    case WM_NCDESTROY:
        return g.onNcDestroy(wParam, lParam);
    default:
        break;
    }
    return CallWindowProcW(g.boxDefault_, box, msg, wParam, lParam);
}

// The box has made its controls and is about to choose its focus and show.
// Its buttons are disabled before the focus goes to one of them, which costs
// less, and they lose the access keys that the box gives them in the user's
// language.
LRESULT QuestionGuard::onInitDialog(WPARAM wParam, LPARAM lParam) {
    for (const int id : {IDYES, IDNO}) EnableWindow(GetDlgItem(box_, id), FALSE);
    const LRESULT r = CallWindowProcW(boxDefault_, box_, WM_INITDIALOG, wParam, lParam);
    for (const int id : {IDYES, IDNO}) {
        const HWND button = GetDlgItem(box_, id);
        SetWindowTextW(button, withoutAccessKey(windowText(button)).c_str());
    }
    made_ = true;
    look();
    // The system says when the box comes to the front, and again after it
    // was behind. Set once the box is made: under Wine each event raised
    // while the hook is set (a control made, shown) is a call to the server.
    foreground_.reset(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, onForeground, 0, 0,
                                      WINEVENT_OUTOFCONTEXT));
    // Locking the session changes no foreground window of this desktop.
    WTSRegisterSessionNotification(box_, NOTIFY_FOR_THIS_SESSION);
    return r;
}

LRESULT QuestionGuard::onNcDestroy(WPARAM wParam, LPARAM lParam) {
    const HWND box = box_;
    SetWindowLongPtrW(box, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(boxDefault_));
    if (made_) WTSUnRegisterSessionNotification(box);
    foreground_.reset();
    box_ = nullptr;
    return CallWindowProcW(boxDefault_, box, WM_NCDESTROY, wParam, lParam);
}

// Losing the activation, the box is no longer the foreground window: it is
// inert before the input that took the activation away can come back to
// it. Gaining it, it may still be denied the foreground.
void QuestionGuard::onActivation(bool active) {
    if (active) {
        look();
    } else {
        see(AnswerDelay::Seen::Behind);
    }
}

// Reported for any window of the desktop: another's coming to the front
// is the question's going behind.
void CALLBACK QuestionGuard::onForeground(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    if (current && current->box_) current->look(window == current->box_);
}

// Locked, or the session handed to another console, the box is behind;
// back, it is inert again, whoever may be typing then.
void QuestionGuard::onSessionChange(WPARAM change) {
    if (change == WTS_SESSION_LOCK || change == WTS_CONSOLE_DISCONNECT || change == WTS_REMOTE_DISCONNECT) {
        see(AnswerDelay::Seen::Behind);
    } else if (change == WTS_SESSION_UNLOCK || change == WTS_CONSOLE_CONNECT || change == WTS_REMOTE_CONNECT) {
        look(true);
    }
}

// The events come late, through the queue: what counts is where the box is
// now.
void QuestionGuard::look(bool reportedInFront) {
    using Seen = AnswerDelay::Seen;
    if (GetForegroundWindow() != box_) {
        see(Seen::Behind);
    } else {
        see(reportedInFront ? Seen::BroughtToFront : Seen::InFront);
    }
}

void QuestionGuard::see(AnswerDelay::Seen seen) {
    delay_.see(seen, now());
    show();
}

void QuestionGuard::input() {
    delay_.input(now());
    show();
}

// The buttons as the delay says, and a timer for the moment it will change.
void QuestionGuard::show() {
    const AnswerDelay::Time t = now();
    if (!box_ || !made_) return; // not yet made, it is inert
    const bool enable = delay_.answerable(t);
    const HWND yes = GetDlgItem(box_, IDYES), no = GetDlgItem(box_, IDNO);
    if ((IsWindowEnabled(yes) != FALSE) != enable || (IsWindowEnabled(no) != FALSE) != enable) {
        for (const HWND button : {yes, no}) EnableWindow(button, enable);
        // Disabled, neither button has the focus; No, the default, takes it.
        if (enable) SendMessageW(box_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(no), TRUE);
    }
    if (enable) {
        KillTimer(box_, IDT_ANSWER_DELAY);
    } else {
        const auto left = delay_.left(t);
        SetTimer(box_, IDT_ANSWER_DELAY, left ? static_cast<UINT>(left->count()) : kLookAgainMs, nullptr);
    }
}

bool QuestionGuard::answerable() const { return delay_.answerable(now()) && GetForegroundWindow() == box_; }

} // namespace ui
