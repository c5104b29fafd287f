// window_probe CLASS present|absent TIMEOUT_MS: waits until a top-level window
// of CLASS exists (or none does). The installer test sees Varnok ready, and
// ended, through it. Exit code 0 when the state was reached in time, 1 if not.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
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
