// The floor for a timer-driven watcher: a hidden window and a 1 ms timer
// whose ticks do nothing.
#include "common.h"

namespace {

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER: return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HWND main = bench::createHiddenMain(instance, L"BenchRefIdle", proc);
    if (!main) return 1;
    SetTimer(main, 1, 1, nullptr);
    return bench::runMessageLoop();
}
