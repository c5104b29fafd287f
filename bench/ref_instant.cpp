// The watcher with no timer: it sleeps until the registry reports a write
// under the Main key and asks at once, in the same box as Varnok (flags and
// manifest), owned by a topmost window and after a status caption of
// "HomePage changed!", as Varnok's: the floor for Varnok's latency.
#include "common.h"

namespace {

LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// One arming reports one change, so it is renewed before every read.
bool arm(HKEY key, HANDLE changed) {
    return RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, changed, TRUE) ==
           ERROR_SUCCESS;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, bench::kMainKey, 0, KEY_NOTIFY | KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 1;
    HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWND main = bench::createHiddenMain(instance, L"BenchRefInstant", proc);
    HWND status = CreateWindowExW(0, L"STATIC", L"Scanning for changes...", WS_CHILD | WS_VISIBLE, 8, 8, 200, 20, main, nullptr,
                                  instance, nullptr);
    if (!changed || !main || !status || !arm(key, changed)) return 1;
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    std::wstring reference = bench::readStartPage(key);

    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (MsgWaitForMultipleObjectsEx(1, &changed, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_OBJECT_0)
            continue;
        // A failed re-arm would leave the watch deaf.
        if (!arm(key, changed)) return 1;
        const std::wstring page = bench::readStartPage(key);
        if (page == reference) continue;
        SetWindowTextW(status, L"HomePage changed!");
        // Writing the reference back wakes us once more; that read matches.
        if (bench::askAboutChange(main, page, MB_SETFOREGROUND | MB_TOPMOST))
            bench::writeStartPage(reference);
        else
            reference = page;
        SetWindowTextW(status, L"Scanning for changes...");
    }
}
