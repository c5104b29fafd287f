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

// The program's message loop. Besides messages it waits on the change
// events of every source (the registry's, a folder's), so a change wakes the
// program at once and nothing else does. Modal boxes of the program's own
// run it nested.
class EventLoop {
public:
    using PreTranslate = std::function<bool(MSG&)>;

    // Keyboard handling of modeless windows (tab order, access keys).
    void addPreTranslate(PreTranslate filter) { filters_.push_back(std::move(filter)); }
    // One more source to wait on; all of them share one wait.
    void watch(WaitSource source) { sources_.push_back(std::move(source)); }

    // Runs until done() holds, or until WM_QUIT: then false, the quit is
    // passed on to any outer loop and exitCode receives its code.
    bool run(const std::function<bool()>& done, HWND dialog = nullptr, int* exitCode = nullptr);

private:
    bool preTranslate(MSG& msg, HWND dialog);
    void waitForWork();

    std::vector<PreTranslate> filters_;
    std::vector<WaitSource> sources_;
    std::vector<HANDLE> handles_;
    std::vector<size_t> firstOf_; // where each source's handles begin in handles_
    int depth_ = 0;
};

} // namespace ui
