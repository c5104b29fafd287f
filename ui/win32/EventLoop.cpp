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
    handles_.clear();
    firstOf_.clear();
    for (WaitSource& source : sources_) {
        firstOf_.push_back(handles_.size());
        if (!source.handles) continue;
        const std::span<const HANDLE> h = source.handles();
        // One wait takes at most MAXIMUM_WAIT_OBJECTS - 1 handles beside the
        // message queue; a source beyond that waits for the next round.
        if (handles_.size() + h.size() >= MAXIMUM_WAIT_OBJECTS) continue;
        handles_.insert(handles_.end(), h.begin(), h.end());
    }
    const auto n = static_cast<DWORD>(handles_.size());
    const DWORD r = MsgWaitForMultipleObjectsEx(n, handles_.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r < WAIT_OBJECT_0 + n) {
        const size_t at = r - WAIT_OBJECT_0;
        size_t which = firstOf_.size();
        while (which > 0 && firstOf_[which - 1] > at) --which;
        sources_[which - 1].signalled(at - firstOf_[which - 1]);
    } else if (r == WAIT_FAILED) {
        // Waiting again on the same handles would fail at once, for ever:
        // every source starts over and this round waits for a message.
        for (WaitSource& source : sources_) {
            if (source.failed) source.failed();
        }
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
