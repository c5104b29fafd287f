// window_probe CLASS present|absent TIMEOUT_MS: waits until a top-level window
// of CLASS exists (or none does). The installer test sees Varnok ready, and
// ended, through it. Exit code 0 when the state was reached in time, 1 if not.
// window_probe CLASS decoy: another program's window of CLASS, until killed;
// prints "ready" once it is there, and "asked" whenever it is told to end.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

UINT exitMessage;

LRESULT CALLBACK decoyProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == exitMessage || message == WM_CLOSE) {
        std::puts("asked");
        std::fflush(stdout);
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

int decoy(const wchar_t* name) {
    exitMessage = RegisterWindowMessageW(L"Varnok.Exit");
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = decoyProc;
    windowClass.lpszClassName = name;
    if (!RegisterClassW(&windowClass) || !CreateWindowW(name, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wcscmp(argv[2], L"decoy") == 0) return decoy(argv[1]);
    if (argc != 4) return 2;
    const bool wantPresent = std::wcscmp(argv[2], L"present") == 0;
    const DWORD timeout = std::wcstoul(argv[3], nullptr, 10);
    const DWORD start = GetTickCount();
    for (;;) {
        const bool present = FindWindowW(argv[1], nullptr) != nullptr;
        if (present == wantPresent) return 0;
        if (GetTickCount() - start >= timeout) return 1;
        Sleep(20);
    }
}
