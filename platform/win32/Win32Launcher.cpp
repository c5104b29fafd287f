#include "platform/win32/Win32Launcher.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/Ansi.h"

namespace platform {

void Win32Launcher::shellExecute(NativeWindow owner, const std::wstring& operation, const std::wstring& file,
                                 const std::wstring& parameters, const std::wstring& directory, int show) {
    const std::string op = toAnsi(operation), f = toAnsi(file), p = toAnsi(parameters), d = toAnsi(directory);
    ShellExecuteA(static_cast<HWND>(owner), op.c_str(), f.c_str(), p.c_str(), d.c_str(), show);
}

} // namespace platform
