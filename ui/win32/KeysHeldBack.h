#pragma once
#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace ui {

// While it lives, the message boxes of this thread take no keyboard answer
// in their first half second as the active window, nor ever an answer by a
// letter: a key meant for another window, caught as a box takes the
// foreground, must not answer it. Tab, the arrows, Enter and Space work after
// the delay, the mouse at any time. Hooks of the thread's own, for message
// boxes run the dialog manager's loop, which offers every message to
// WH_MSGFILTER (MSGF_DIALOGBOX) before acting on it, on Windows as in Wine.
class KeysHeldBack {
public:
    static constexpr ULONGLONG kDelayMs = 500;

    KeysHeldBack();
    ~KeysHeldBack();
    KeysHeldBack(const KeysHeldBack&) = delete;
    KeysHeldBack& operator=(const KeysHeldBack&) = delete;

private:
    static LRESULT CALLBACK onActivation(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK onBoxMessage(int code, WPARAM wParam, LPARAM lParam);
    bool holds(const MSG& msg) const;

    HWND box_ = nullptr;
    ULONGLONG activeSince_ = 0;
    KeysHeldBack* outer_;
    platform::unique_hhook activation_, boxMessages_;
};

} // namespace ui
