#pragma once
// Display density per window. Windows 10 (1607 and later) tracks a density
// for each window, that of its monitor; older systems have one for the
// whole session. The per-window functions are looked up when the program
// runs, so the same program starts on both and uses the system's there.
#include <windows.h>

namespace ui {

// The session's density, in dots per inch.
int systemDpi();
// The density of the monitor the window is on.
int dpiOf(HWND window);
// A system measure (GetSystemMetrics' SM_...) at this density.
int metricAt(int index, int dpi);
// The font of message boxes at this density.
LOGFONTW messageFontAt(int dpi);
// The density of the taskbar, whose notification area shows the program's
// icon; the system's where there is no taskbar window.
int taskbarDpi();
// The size of a window whose client area has this size at this density.
SIZE frameAround(SIZE client, DWORD style, DWORD exStyle, int dpi);
// Moves and sizes a window to this rectangle, leaving its stacking and the
// activation alone: how a window takes a frame made for a new density.
void placeWindow(HWND window, const RECT& frame);

} // namespace ui
