#include "platform/win32/Win32Launcher.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/win32/Ansi.h"

namespace platform {

Win32Launcher::~Win32Launcher() {
    if (comStarted_) CoUninitialize();
}

void Win32Launcher::shellExecute(NativeWindow owner, const std::wstring& operation, const std::wstring& file,
                                 const std::wstring& parameters, const std::wstring& directory, int show) {
    // S_FALSE (already started on this thread) counts too, and is balanced.
    if (!comStarted_) {
        comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    const auto op = toAnsi(operation), f = toAnsi(file), p = toAnsi(parameters);
    // What the code page cannot name is not launched as something else.
    if (!op || !f || !p) return;
    // A folder that cannot be named leaves the shell its default: Varnok's
    // current folder.
    const auto d = toAnsiFolder(directory);
    ShellExecuteA(static_cast<HWND>(owner), op->c_str(), f->c_str(), p->c_str(), d ? d->c_str() : nullptr, show);
}

} // namespace platform
