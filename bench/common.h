#pragma once
// What the reference programs share: the watched value, a hidden main window
// and the question Varnok asks.
#include <windows.h>

#include <string>

namespace bench {

inline constexpr wchar_t kMainKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr wchar_t kValue[] = L"Start Page";

inline void writeStartPage(const std::wstring& page) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kMainKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(page.c_str()),
                   static_cast<DWORD>((page.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// Reads through the given key, or opens the Main key when there is none.
inline std::wstring readStartPage(HKEY key = nullptr) {
    wchar_t buf[2048]{};
    DWORD size = sizeof buf;
    const LSTATUS rc = key ? RegGetValueW(key, nullptr, kValue, RRF_RT_REG_SZ, nullptr, buf, &size)
                           : RegGetValueW(HKEY_CURRENT_USER, kMainKey, kValue, RRF_RT_REG_SZ, nullptr, buf, &size);
    return rc == ERROR_SUCCESS ? std::wstring(buf) : std::wstring{};
}

// Never shown: like Varnok, the program lives hidden until asked.
inline HWND createHiddenMain(HINSTANCE instance, const wchar_t* className, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (!RegisterClassW(&wc)) return nullptr;
    return CreateWindowExW(0, className, className, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 120,
                           nullptr, nullptr, instance, nullptr);
}

// True when the user answered No. The extra flags are Varnok's, for the
// reference that is to show the same box.
inline bool askAboutChange(HWND owner, const std::wstring& page, UINT extraFlags = 0) {
    const std::wstring text = L"HomePage has been changed to '" + page + L"'! Do you wish to keep this setting?";
    return MessageBoxW(owner, text.c_str(), L"Warning!", MB_YESNO | MB_ICONEXCLAMATION | extraFlags) == IDNO;
}

inline int runMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

} // namespace bench
