// Puts a running Varnok into the state a README screenshot shows:
//   show      the main window, as a double-click on the tray icon does
//   change    another program's write of the start page (the question follows)
//   menu      the tray icon's context menu
//   about     the about window, chosen from that menu
//   close     answers an open question with No and closes what is open
//   exit      ends Varnok, as an installer does
//   hold      keeps the Wine session, and its desktop, running until ended
//   shot FILE writes the screen to FILE as a BMP: no X tools needed, under
//             the Wine of a Debian 13 root as under the host's
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "varnok_contract.h"

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

bool writeScreen(const wchar_t* path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFOHEADER info{sizeof info, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * h);
    GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file{0x4D42, offset + static_cast<DWORD>(pixels.size()), 0, 0, offset};
    FILE* f = _wfopen(path, L"wb");
    if (!f) return false;
    const bool ok = fwrite(&file, sizeof file, 1, f) == 1 && fwrite(&info, sizeof info, 1, f) == 1 &&
                    fwrite(pixels.data(), pixels.size(), 1, f) == 1;
    return fclose(f) == 0 && ok;
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
            if (HWND no = GetDlgItem(box, IDNO)) PostMessageW(no, BM_CLICK, 0, 0);
        }
        if (HWND about = FindWindowW(L"VarnokForm2", nullptr)) PostMessageW(about, WM_CLOSE, 0, 0);
    } else if (what == L"exit") {
        HWND main = FindWindowW(L"VarnokForm1", nullptr);
        if (!main) return 1;
        PostMessageW(main, RegisterWindowMessageW(VARNOK_EXIT_MESSAGE_W), 0, 0);
    } else if (what == L"hold") {
        GetDesktopWindow();
        Sleep(INFINITE);
    } else if (what == L"shot" && argc > 2) {
        return writeScreen(argv[2]) ? 0 : 1;
    } else {
        return 1;
    }
    return 0;
}
