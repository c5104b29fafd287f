#include "platform/win32/Win32Stacking.h"

#include <windows.h>

namespace platform {

void Win32Stacking::makeTopmost(NativeWindow window) {
    SetWindowPos(static_cast<HWND>(window), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace platform
