#include "ui/win32/Win32Dialogs.h"

#include "platform/win32/unique_handles.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/QuestionGuard.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/ids.h"

namespace ui {
namespace {

struct InputBoxState {
    const std::wstring& prompt;
    const std::wstring& title;
    const std::wstring& initial;
    int ownerDpi;
    platform::unique_hfont font; // when the box is scaled to its owner
    std::wstring typed;
    bool finished = false;
    bool ok = false;
};

// The dialog manager made the box for the density of where it opened (the
// system's, where Windows has no density per window); its owner may be on a
// monitor of another scale. Scale font, controls and frame to the owner's,
// and centre the box on the owner's monitor again, as DS_CENTER did.
void scaleToOwner(HWND dialog, int from, int to, platform::unique_hfont& font) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfHeight = MulDiv(lf.lfHeight, to, from);
    font.reset(CreateFontIndirectW(&lf));
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(c, nullptr, MulDiv(r.left, to, from), MulDiv(r.top, to, from), MulDiv(r.right - r.left, to, from),
                     MulDiv(r.bottom - r.top, to, from), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // Its frame stays that of its own monitor: only the inside follows the owner.
    RECT client{};
    GetClientRect(dialog, &client);
    const SIZE size = frameAround({MulDiv(client.right, to, from), MulDiv(client.bottom, to, from)},
                                  static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)),
                                  static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)), from);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    HWND owner = GetWindow(dialog, GW_OWNER);
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& work = mi.rcWork;
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - size.cx) / 2,
                 work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR onInitInputBox(HWND dialog, InputBoxState& state) {
    const int dpi = dpiOf(dialog);
    if (state.ownerDpi && state.ownerDpi != dpi) scaleToOwner(dialog, dpi, state.ownerDpi, state.font);
    SetWindowTextW(dialog, state.title.c_str());
    SetDlgItemTextW(dialog, IDC_INPUT_PROMPT, state.prompt.c_str());
    HWND edit = GetDlgItem(dialog, IDC_INPUT_EDIT);
    // The longest text an edit control can hold, not its 32K default.
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(edit, state.initial.c_str());
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return FALSE; // focus was set here
}

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return onInitInputBox(dialog, *reinterpret_cast<InputBoxState*>(lParam));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            state->typed = windowText(GetDlgItem(dialog, IDC_INPUT_EDIT));
            state->ok = true;
            state->finished = true;
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            state->finished = true;
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY: // its owner went, with Exit
        if (state) state->finished = true;
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

Answer Win32Dialogs::askYesNo(const std::wstring& text, const std::wstring& title) {
    // The box takes the foreground from whatever the user is typing or
    // clicking in: nothing meant for that window may answer it.
    const QuestionGuard guard;
    if (!guard.ready()) return Answer::NotAsked;
    const int r = MessageBoxW(owner_, text.c_str(), title.c_str(),
                              MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
    if (r == IDYES) return Answer::Yes;
    if (r == IDNO) return Answer::No;
    return Answer::NotAsked; // the box could not be made
}

// Measured as a message box lays its text out: in the message font of the
// owner's density, wrapped at words. Boxes wrap at a width of their own
// choosing, never narrower than kNarrowest at 96 dpi, and a narrower wrap
// only makes the text taller: measured there, the height is the most it can
// take. What is left of the work area must hold the text; the rest of the
// box (title, icon, buttons, margins) takes at most the reserve.
bool Win32Dialogs::questionFits(const std::wstring& text) const {
    constexpr int kNarrowest = 280, kReserveWide = 120, kReserveHigh = 160;
    const int dpi = ownerDpi_ ? ownerDpi_ : systemDpi();
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &mi)) return true;
    const platform::unique_hdc dc(CreateCompatibleDC(nullptr));
    const LOGFONTW lf = messageFontAt(dpi);
    const platform::unique_hfont font(CreateFontIndirectW(&lf));
    if (!dc || !font) return true;
    const HGDIOBJ old = SelectObject(dc.get(), font.get());
    RECT r{0, 0, MulDiv(kNarrowest, dpi, USER_DEFAULT_SCREEN_DPI), 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc.get(), old);
    const RECT& work = mi.rcWork;
    return r.right - r.left <= work.right - work.left - MulDiv(kReserveWide, dpi, USER_DEFAULT_SCREEN_DPI) &&
           r.bottom - r.top <= work.bottom - work.top - MulDiv(kReserveHigh, dpi, USER_DEFAULT_SCREEN_DPI);
}

void Win32Dialogs::inform(const std::wstring& text, const std::wstring& title) {
    MessageBoxW(owner_, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
}

void Win32Dialogs::prepareQuestion() { QuestionGuard::prepare(); }

void Win32Dialogs::warn(const std::wstring& text, const std::wstring& title) {
    MessageBoxW(owner_, text.c_str(), title.c_str(), MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
}

std::wstring Win32Dialogs::inputBox(const std::wstring& prompt, const std::wstring& title, const std::wstring& initial) {
    // Modal through the program's own loop, so the watch goes on meanwhile
    // with its change notifications.
    InputBoxState state{prompt, title, initial, ownerDpi_, {}, {}};
    HWND dialog = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_INPUTBOX), owner_, inputBoxProc,
                                     reinterpret_cast<LPARAM>(&state));
    if (!dialog) return {};
    const bool disabledOwner = owner_ && !EnableWindow(owner_, FALSE);
    ShowWindow(dialog, SW_SHOW);
    loop_.run([&] { return state.finished; }, dialog);
    if (disabledOwner && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    return state.ok ? state.typed : std::wstring{};
}

} // namespace ui
