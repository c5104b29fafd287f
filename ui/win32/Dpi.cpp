#include "ui/win32/Dpi.h"

#include "platform/win32/unique_handles.h"

namespace ui {
namespace {

template <typename F>
F function(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI

// Windows 10 1607's, found once.
struct PerWindow {
    GetDpiForWindowFn getDpiForWindow;
    GetSystemMetricsForDpiFn getSystemMetricsForDpi;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi;
    SystemParametersInfoForDpiFn systemParametersInfoForDpi;
};

DpiFunctions atMost = DpiFunctions::PerWindow;

const PerWindow& perWindow() {
    static const PerWindow found = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return PerWindow{function<GetDpiForWindowFn>(user32, "GetDpiForWindow"),
                         function<GetSystemMetricsForDpiFn>(user32, "GetSystemMetricsForDpi"),
                         function<AdjustWindowRectExForDpiFn>(user32, "AdjustWindowRectExForDpi"),
                         function<SystemParametersInfoForDpiFn>(user32, "SystemParametersInfoForDpi")};
    }();
    static const PerWindow none{};
    return atMost == DpiFunctions::PerWindow ? found : none;
}

// Windows 8.1's, in a library loaded only where it is needed, and only from
// the system's folder: never a copy planted beside the program. Windows 7
// without KB2533623 refuses the flag, and has no such library anyway.
GetDpiForMonitorFn getDpiForMonitor() {
    if (atMost == DpiFunctions::SessionOnly) return nullptr;
    static const auto found = function<GetDpiForMonitorFn>(
        LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
    return found;
}

} // namespace

DpiFunctionsAtMost::DpiFunctionsAtMost(DpiFunctions most) : old_(atMost) { atMost = most; }
DpiFunctionsAtMost::~DpiFunctionsAtMost() { atMost = old_; }

int systemDpi() {
    platform::unique_screen_dc dc(GetDC(nullptr));
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int dpiOf(HWND window) {
    if (!window) return systemDpi();
    if (const auto forWindow = perWindow().getDpiForWindow) {
        const int dpi = static_cast<int>(forWindow(window));
        if (dpi > 0) return dpi;
    } else if (const auto forMonitor = getDpiForMonitor()) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(forMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) && y > 0) {
            return static_cast<int>(y);
        }
    }
    return systemDpi();
}

int metricAt(int index, int dpi) {
    if (const auto forDpi = perWindow().getSystemMetricsForDpi) return forDpi(index, static_cast<UINT>(dpi));
    // Without it the measures are the system density's: scale them.
    return MulDiv(GetSystemMetrics(index), dpi, systemDpi());
}

LOGFONTW messageFontAt(int dpi) {
    const auto forDpi = perWindow().systemParametersInfoForDpi;
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0, static_cast<UINT>(dpi))) return ncm.lfMessageFont;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMessageFont.lfHeight = MulDiv(ncm.lfMessageFont.lfHeight, dpi, systemDpi());
    return ncm.lfMessageFont;
}

int taskbarDpi() {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return taskbar ? dpiOf(taskbar) : systemDpi();
}

SIZE frameAround(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    const auto adjustForDpi = perWindow().adjustWindowRectExForDpi;
    RECT r{0, 0, client.cx, client.cy};
    if (adjustForDpi) {
        adjustForDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    return {r.right - r.left, r.bottom - r.top};
}

void placeWindow(HWND window, const RECT& frame, SIZE client) {
    SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // A second pass for a frame that changes with the size (a wrapped menu).
    for (int pass = 0; pass < 2; ++pass) {
        RECT got{}, outer{};
        GetClientRect(window, &got);
        const int dx = client.cx - got.right, dy = client.cy - got.bottom;
        if (dx == 0 && dy == 0) return;
        GetWindowRect(window, &outer);
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace ui
