#include "ui/win32/KeysHeldBack.h"

namespace ui {
namespace {

// The boxes' thread is the program's one UI thread.
KeysHeldBack* current = nullptr;

bool isBox(HWND w) {
    wchar_t cls[16]{};
    return GetClassNameW(w, cls, 16) && lstrcmpW(cls, L"#32770") == 0;
}

} // namespace

KeysHeldBack::KeysHeldBack() : outer_(current) {
    current = this;
    const DWORD thread = GetCurrentThreadId();
    activation_.reset(SetWindowsHookExW(WH_CBT, onActivation, nullptr, thread));
    boxMessages_.reset(SetWindowsHookExW(WH_MSGFILTER, onBoxMessage, nullptr, thread));
}

KeysHeldBack::~KeysHeldBack() { current = outer_; }

// Each time a box becomes the active window, its delay starts again: one
// brought back to the front is as new to the user as one just opened.
LRESULT CALLBACK KeysHeldBack::onActivation(int code, WPARAM wParam, LPARAM lParam) {
    const auto w = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && current && isBox(w)) {
        current->box_ = w;
        current->activeSince_ = GetTickCount64();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK KeysHeldBack::onBoxMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && current && current->holds(*reinterpret_cast<const MSG*>(lParam))) return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool KeysHeldBack::holds(const MSG& msg) const {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    // The dialog manager offers the keys of every window of the thread; until
    // the box is known, all of them are held.
    if (box_ && msg.hwnd != box_ && !IsChild(box_, msg.hwnd)) return false;
    // A character is how a letter answers: Y is Yes's access key, with or
    // without Alt.
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR || msg.message == WM_DEADCHAR ||
        msg.message == WM_SYSDEADCHAR || msg.message == WM_UNICHAR) {
        return true;
    }
    return !box_ || GetTickCount64() - activeSince_ < kDelayMs;
}

} // namespace ui
