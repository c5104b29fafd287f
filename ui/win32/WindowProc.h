#pragma once
// The plumbing every window class of ours shares: registration, and a
// window procedure that hands each message to the object that created it.
#include <windows.h>

namespace ui {

// Registers the class once per process; true when it is there.
bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc);

// T has attach(HWND) (null once the window is gone) and onMessage(...).
template <typename T>
LRESULT CALLBACK routeToObject(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->attach(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->attach(nullptr);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    return self->onMessage(msg, wParam, lParam);
}

} // namespace ui
