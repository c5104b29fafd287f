#pragma once
#include <windows.h>

#include <functional>
#include <vector>

namespace ui {

// The program's message loop. Besides messages it waits on the registry's
// change events, so a change wakes the program at once and nothing else
// does. Modal boxes of the program's own run it nested.
class EventLoop {
public:
    using PreTranslate = std::function<bool(MSG&)>;

    // Keyboard handling of modeless windows (tab order, access keys).
    void addPreTranslate(PreTranslate filter) { filters_.push_back(std::move(filter)); }
    // onSignal learns which of the handles was signalled.
    void watch(std::vector<HANDLE> handles, std::function<void(size_t)> onSignal);

    // Runs until done() holds, or until WM_QUIT: then false, the quit is
    // passed on to any outer loop and exitCode receives its code.
    bool run(const std::function<bool()>& done, HWND dialog = nullptr, int* exitCode = nullptr);

private:
    bool preTranslate(MSG& msg, HWND dialog);

    std::vector<PreTranslate> filters_;
    std::vector<HANDLE> handles_;
    std::function<void(size_t)> onSignal_;
    int depth_ = 0;
};

} // namespace ui
