// Puts a running Varnok into the state a README screenshot shows:
//   show      the main window, as a double-click on the tray icon does
//   change    another program's write of the start page (the question follows)
//   menu      the tray icon's context menu
//   about     the about window, chosen from that menu
//   close     answers an open question with No and closes what is open
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Wine 8 draws a tray window of its own, Wine 10 explorer's taskbar.
HWND trayIcon() {
    if (HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr)) {
        if (HWND icon = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr)) return icon;
    }
    HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
    return tray ? FindWindowExW(tray, nullptr, L"__wine_tray_icon", nullptr) : nullptr;
}

void writeStartPage(const wchar_t* value) {
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &k, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(k, L"Start Page", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring what = argv[1];
    HWND icon = trayIcon();
    if (what == L"show" && icon) {
        PostMessageW(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    } else if (what == L"change") {
        writeStartPage(L"http://www.example.com/offers");
    } else if (what == L"menu" && icon) {
        PostMessageW(icon, WM_RBUTTONUP, 0, 0);
    } else if (what == L"about") {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (!menu) return 1;
        for (int i = 0; i < 3; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    } else if (what == L"close") {
        if (HWND menu = FindWindowW(L"#32768", nullptr)) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        if (HWND box = FindWindowW(L"#32770", L"Warning!")) {
            if (HWND no = FindWindowExW(box, nullptr, L"Button", L"&No")) PostMessageW(no, BM_CLICK, 0, 0);
        }
        if (HWND about = FindWindowW(L"VarnokForm2", nullptr)) PostMessageW(about, WM_CLOSE, 0, 0);
    } else {
        return 1;
    }
    return 0;
}
