#pragma once
#include <windows.h>

#include <functional>
#include <span>
#include <vector>

namespace ui {

// Kernel objects that the loop waits on beside messages.
struct WaitSource {
    // The handles to wait on now; asked before every wait.
    std::function<std::span<const HANDLE>()> handles;
    // The handle at this index fired.
    std::function<void(size_t)> signalled;
    // The wait itself failed (a handle closed under it): the source starts
    // over, and the loop waits on messages alone until the next one.
    std::function<void()> failed;
};

// The program's message loop. Besides messages it waits on the registry's
// change events, so a change wakes the program at once and nothing else
// does. Modal boxes of the program's own run it nested.
class EventLoop {
public:
    using PreTranslate = std::function<bool(MSG&)>;

    // Keyboard handling of modeless windows (tab order, access keys).
    void addPreTranslate(PreTranslate filter) { filters_.push_back(std::move(filter)); }
    void watch(WaitSource source) { source_ = std::move(source); }

    // Runs until done() holds, or until WM_QUIT: then false, the quit is
    // passed on to any outer loop and exitCode receives its code.
    bool run(const std::function<bool()>& done, HWND dialog = nullptr, int* exitCode = nullptr);

private:
    bool preTranslate(MSG& msg, HWND dialog);
    void waitForWork();

    std::vector<PreTranslate> filters_;
    WaitSource source_;
    int depth_ = 0;
};

} // namespace ui
