#include "ui/EventLoop.h"

namespace ui {

void EventLoop::watch(std::vector<HANDLE> handles, std::function<void(size_t)> onSignal) {
    handles_ = std::move(handles);
    onSignal_ = std::move(onSignal);
}

bool EventLoop::preTranslate(MSG& msg, HWND dialog) {
    if (dialog && IsDialogMessageW(dialog, &msg)) return true;
    for (auto& f : filters_) {
        if (f(msg)) return true;
    }
    return false;
}

bool EventLoop::run(const std::function<bool()>& done, HWND dialog, int* exitCode) {
    ++depth_;
    struct Leave {
        int& d;
        ~Leave() { --d; }
    } leave{depth_};
    const auto finished = [&] { return done && done(); };
    while (!finished()) {
        const DWORD n = static_cast<DWORD>(handles_.size());
        const DWORD r = MsgWaitForMultipleObjectsEx(n, handles_.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        // A signal is handled, then the queue is drained all the same: a
        // flood of changes must not starve the windows of their messages.
        if (r < WAIT_OBJECT_0 + n && onSignal_) onSignal_(r - WAIT_OBJECT_0);
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
