#pragma once
// Helpers for tests that drive real windows: pumping this thread's messages,
// finding windows, reading their text and answering message boxes from a
// second thread, as a user would.
#include <windows.h>
#include <sddl.h>

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace wintest {

// The length of a window's text, without reading the text: Wine 10 times
// out reading a text of a mebibyte from another process.
inline size_t textLengthOf(HWND w) {
    DWORD_PTR len = 0;
    return SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len) ? len : 0;
}

inline std::wstring textOf(HWND w) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
    std::wstring text(len + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(w, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000, &got);
    text.resize(got);
    return text;
}

// For failure messages; anything beyond ASCII shows as '?'.
inline std::string narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s.push_back(c < 128 ? static_cast<char>(c) : '?');
    return s;
}

inline std::wstring env(const wchar_t* name) {
    wchar_t buf[4096]{};
    const DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    return n > 0 && n < 4096 ? std::wstring(buf, n) : std::wstring{};
}

inline std::wstring classOf(HWND w) {
    wchar_t name[256]{};
    GetClassNameW(w, name, 256);
    return name;
}

// Runs this thread's messages until the condition holds or time runs out.
inline bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline void pumpFor(int ms) {
    pumpUntil([] { return false; }, ms);
}

// Top-level windows of a class (any class if empty), from one snapshot.
inline std::vector<HWND> topLevelWindows(const std::wstring& cls, std::optional<DWORD> pid = std::nullopt) {
    struct Search {
        std::wstring cls;
        std::optional<DWORD> pid;
        std::vector<HWND> found;
    } s{cls, pid, {}};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if ((s.cls.empty() || classOf(w) == s.cls) && (!s.pid || *s.pid == owner)) s.found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

inline std::vector<HWND> children(HWND parent, const std::wstring& cls = {}) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (cls.empty() || classOf(c) == cls) out.push_back(c);
    }
    return out;
}

inline HWND childWithText(HWND parent, const std::wstring& text) {
    for (HWND c : children(parent)) {
        if (textOf(c) == text) return c;
    }
    return nullptr;
}

// The button that shows this caption, access keys aside: "&No" and "No"
// both find the question's No, which has none.
inline HWND buttonShowing(HWND box, std::wstring caption) {
    std::erase(caption, L'&');
    for (HWND c : children(box, L"Button")) {
        std::wstring shown = textOf(c);
        std::erase(shown, L'&');
        if (shown == caption) return c;
    }
    return nullptr;
}

// The button once it takes a click (the question's are disabled for a while
// after it comes to the front), or null.
inline HWND answerableButton(HWND box, const std::wstring& caption, int timeoutMs = 5000) {
    HWND b = buttonShowing(box, caption);
    for (int waited = 0; b && !IsWindowEnabled(b) && waited < timeoutMs; waited += 5) Sleep(5);
    return b && IsWindowEnabled(b) ? b : nullptr;
}

// The icons in the tray that Wine shows on a display without a taskbar:
// Wine 8 draws a window of its own, Wine 10 explorer's taskbar; the first
// of them that holds icons is the one on screen.
inline std::vector<HWND> trayIcons() {
    for (const auto& [tray, icon] : {std::pair{L"__winex11_standalone_tray", L"__winex11_tray_icon"},
                                     std::pair{L"Shell_TrayWnd", L"__wine_tray_icon"}}) {
        std::vector<HWND> icons;
        for (HWND t : topLevelWindows(tray)) {
            for (HWND c : children(t, icon)) icons.push_back(c);
        }
        if (!icons.empty()) return icons;
    }
    return {};
}

inline std::vector<HWND> visibleBoxes(const std::wstring& title, std::optional<DWORD> pid = std::nullopt) {
    std::vector<HWND> out;
    for (HWND w : topLevelWindows(L"#32770", pid)) {
        if (IsWindowVisible(w) && textOf(w) == title) out.push_back(w);
    }
    return out;
}

struct BoxSeen {
    std::wstring text;
    int openAtOnce = 0;
};

// The message text of a box: its one STATIC child that has text.
inline std::wstring boxText(HWND box) {
    for (HWND c : children(box, L"Static")) {
        std::wstring t = textOf(c);
        if (!t.empty()) return t;
    }
    return {};
}

// Waits on another thread for a visible box with this title, reads it (and
// hands it to `look`) and, once its button with this caption takes a click,
// presses it, as a user who reads before answering.
inline std::future<std::optional<BoxSeen>> answerBox(std::wstring title, std::wstring button,
                                                     std::optional<DWORD> pid = std::nullopt, int timeoutMs = 10000,
                                                     std::function<void(HWND)> look = {}) {
    return std::async(std::launch::async, [=]() -> std::optional<BoxSeen> {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            const auto boxes = visibleBoxes(title, pid);
            if (!boxes.empty() && buttonShowing(boxes[0], button)) {
                BoxSeen seen{boxText(boxes[0]), static_cast<int>(boxes.size())};
                if (look) look(boxes[0]);
                HWND b = answerableButton(boxes[0], button);
                if (!b) return std::nullopt;
                PostMessageW(b, BM_CLICK, 0, 0);
                return seen;
            }
            Sleep(5);
        }
        return std::nullopt;
    });
}

// Waits for a future while keeping this thread's windows alive.
template <typename T>
T pumpWhileWaiting(std::future<T>& f, int timeoutMs = 15000) {
    pumpUntil([&] { return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, timeoutMs);
    return f.get();
}

// A throwaway place in HKCU, removed with everything below it.
class ScratchKey {
public:
    explicit ScratchKey(std::wstring path) : path_(std::move(path)) { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    ~ScratchKey() { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }
    const std::wstring& path() const { return path_; }

    void setRaw(const std::wstring& name, DWORD type, const void* data, DWORD size) const {
        HKEY k = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
        RegSetValueExW(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(k);
    }
    void setString(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ) const {
        setRaw(name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void erase(const std::wstring& name) const { RegDeleteKeyValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str()); }
    void eraseKey() const { RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); }

    // Type and string content as stored, or nothing when absent.
    std::optional<std::pair<DWORD, std::wstring>> get(const std::wstring& name) const {
        DWORD type = 0, size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                         &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        RegGetValueW(HKEY_CURRENT_USER, path_.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, buf.data(), &size);
        buf.resize(wcsnlen(buf.c_str(), buf.size()));
        return std::make_pair(type, buf);
    }

private:
    std::wstring path_;
};

// The registry's own name for a key of this user's hive.
inline std::wstring kernelName(const std::wstring& path) {
    HANDLE token = nullptr;
    BYTE user[256]{};
    DWORD size = 0;
    LPWSTR sid = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    const std::wstring name = L"\\REGISTRY\\USER\\" + std::wstring(sid ? sid : L"") + L"\\" + path;
    LocalFree(sid);
    CloseHandle(token);
    return name;
}


// A key made a registry link, pointed at a key of this user's hive with
// pointAt(), and deleted (the link itself, not its target) when it goes.
class LinkKey {
public:
    explicit LinkKey(const std::wstring& path) {
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS, nullptr, &link_, nullptr);
    }
    ~LinkKey() {
        using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);
        if (!link_) return;
        reinterpret_cast<NtDeleteKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")))(link_);
        RegCloseKey(link_);
    }
    LinkKey(const LinkKey&) = delete;
    LinkKey& operator=(const LinkKey&) = delete;
    bool made() const { return link_ != nullptr; }
    void pointAt(const std::wstring& path) const {
        const std::wstring to = kernelName(path);
        RegSetValueExW(link_, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(to.c_str()),
                       static_cast<DWORD>(to.size() * sizeof(wchar_t)));
    }

private:
    HKEY link_ = nullptr;
};

inline const wchar_t* kStartPageKey = L"Software\\Microsoft\\Internet Explorer\\Main";

} // namespace wintest
