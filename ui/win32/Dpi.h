#pragma once
// Display density per window. Windows 10 (1607 and later) tracks a density
// for each window, that of its monitor; Windows 8.1 tells each monitor's;
// Windows 7 and 8 have one for the whole session. The later functions are
// looked up when the program runs, so the same program starts on each and
// uses what the system has.
#include <windows.h>

namespace ui {

// What the system tells: each window's density and the measures at any
// density (Windows 10 1607 and later), each monitor's density alone
// (Windows 8.1, Windows 10 before 1607), or the session's alone (7 and 8).
enum class DpiFunctions { PerWindow, PerMonitor, SessionOnly };

// Makes the functions below do, for as long as it lives, what they do on a
// system with no more than `most`: how the fallbacks are run where the later
// functions exist. Made and ended on the windows' thread.
class [[nodiscard]] DpiFunctionsAtMost {
public:
    explicit DpiFunctionsAtMost(DpiFunctions most);
    ~DpiFunctionsAtMost();
    DpiFunctionsAtMost(const DpiFunctionsAtMost&) = delete;
    DpiFunctionsAtMost& operator=(const DpiFunctionsAtMost&) = delete;

private:
    DpiFunctions old_;
};

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
// activation alone: how a window takes a frame made for a new density. The
// frame the platform draws may differ from the one computed for it (Wine 10
// draws it at a scale changed after the session began): the window's size
// is then corrected by the difference, so that its client area is `client`.
void placeWindow(HWND window, const RECT& frame, SIZE client);

} // namespace ui
