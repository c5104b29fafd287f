// The MSI's custom action: ends a running Varnok before its files are
// replaced or removed. Windows Installer's Restart Manager does this on
// Windows when it sees the file in use, but only for programs in the
// installer's own session and not under Wine; the exit message works in both.
#include <windows.h>

#include <msiquery.h>

#include "varnok_contract.h"

namespace {

constexpr DWORD kAnswerTimeoutMs = 2000;
constexpr DWORD kExitTimeoutMs = 5000;
constexpr int kMaxWindows = 8;

} // namespace

// Always succeeds: a Varnok that will not end leaves the file in use, which
// Windows Installer then handles as for any other program (Restart Manager,
// or a replacement at the next restart). Sets VarnokWasRunning when it ended
// one, so that the upgrade starts it again.
extern "C" __declspec(dllexport) UINT __stdcall CloseVarnok(MSIHANDLE session) {
    const UINT exitMessage = RegisterWindowMessageW(VARNOK_EXIT_MESSAGE_W);
    // One Varnok per session, but a new one may start while the last ends.
    for (int i = 0; i < kMaxWindows; ++i) {
        const HWND window = FindWindowW(VARNOK_WINDOW_CLASS_W, nullptr);
        if (!window) break;
        MsiSetPropertyW(session, L"VarnokWasRunning", L"1");
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, exitMessage, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored);
        // The window goes before the image is released; wait for the process.
        if (process) {
            WaitForSingleObject(process, kExitTimeoutMs);
            CloseHandle(process);
        } else {
            Sleep(100);
        }
    }
    return ERROR_SUCCESS;
}
