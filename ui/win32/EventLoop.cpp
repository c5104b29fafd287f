#include "ui/win32/EventLoop.h"

#include "ui/ScopedValue.h"

namespace ui {

bool EventLoop::preTranslate(MSG& msg, HWND dialog) {
    if (dialog && IsDialogMessageW(dialog, &msg)) return true;
    for (auto& f : filters_) {
        if (f(msg)) return true;
    }
    return false;
}

void EventLoop::waitForWork() {
    const std::span<const HANDLE> handles = source_.handles ? source_.handles() : std::span<const HANDLE>{};
    const auto n = static_cast<DWORD>(handles.size());
    const DWORD r = MsgWaitForMultipleObjectsEx(n, handles.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r < WAIT_OBJECT_0 + n) {
        source_.signalled(r - WAIT_OBJECT_0);
    } else if (r == WAIT_FAILED) {
        // Waiting again on the same handles would fail at once, for ever:
        // the source starts over and this round waits for a message.
        if (source_.failed) source_.failed();
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool EventLoop::run(const std::function<bool()>& done, HWND dialog, int* exitCode) {
    const ScopedValue nested(depth_, depth_ + 1);
    const auto finished = [&] { return done && done(); };
    while (!finished()) {
        waitForWork();
        // A signal is handled, then the queue is drained all the same: a
        // flood of changes must not starve the windows of their messages.
        MSG msg;
        while (!finished() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                if (depth_ > 1) PostQuitMessage(static_cast<int>(msg.wParam));
                if (exitCode) *exitCode = static_cast<int>(msg.wParam);
                return false;
            }
            if (preTranslate(msg, dialog)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

} // namespace ui
