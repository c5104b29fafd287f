#pragma once
// The real varnok.exe, started as a user starts it, for tests that drive it
// from this separate process.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <functional>

#include "tests/windows/WinTestSupport.h"
#include "ui/win32/ids.h"
#include "varnok_contract.h"

namespace wintest {

// Unix paths reach Wine programs through drive Z:.
inline std::wstring fromUnix(const std::wstring& path) {
    std::wstring p = L"Z:" + path;
    for (auto& c : p) if (c == L'/') c = L'\\';
    return p;
}

// The name a screen reader hears for a control, read through MSAA from
// this process, as a screen reader reads it.
inline std::wstring accessibleName(HWND control) {
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = nullptr;
    BSTR name = nullptr;
    VARIANT self{}; // CHILDID_SELF
    self.vt = VT_I4;
    if (SUCCEEDED(com) &&
        SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&acc)))) {
        acc->get_accName(self, &name);
        acc->Release();
    }
    const std::wstring out = name ? name : L"<none>";
    SysFreeString(name);
    return out;
}

// Every control is named by its caption, the access key's '&' left out.
inline void expectNamedAsShown(HWND window, size_t controls) {
    EXPECT_EQ(children(window).size(), controls);
    for (HWND c : children(window)) {
        std::wstring shown = textOf(c);
        if (const auto amp = shown.find(L'&'); amp != std::wstring::npos) shown.erase(amp, 1);
        EXPECT_EQ(accessibleName(c), shown) << GetDlgCtrlID(c);
    }
}

inline bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        if (done()) return true;
        Sleep(5);
    }
    return done();
}

class VarnokProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.setString(L"Start Page", L"http://ref.example/");
        start();
    }
    // Starts Varnok and waits until it is watching, hidden, with its icon.
    void start() {
        ASSERT_FALSE(env(L"VARNOK_EXE").empty());
        pi = launch();
        ASSERT_NE(pi.hProcess, nullptr);
        // The first window of a fresh prefix waits for Wine's desktop, which
        // can satisfy WaitForInputIdle early; start-up is over once the
        // window is topmost (its last step but hiding) and idle.
        ASSERT_TRUE(waitFor([&] {
            main = findMain();
            return main && (GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
        }, 15000));
        ASSERT_EQ(WaitForInputIdle(pi.hProcess, 15000), 0u);
        EXPECT_FALSE(IsWindowVisible(main));
        ASSERT_TRUE(waitFor([&] { return trayIcons().size() == 1; }));
    }
    void TearDown() override { stop(); }
    void stop() {
        if (!pi.hProcess) return;
        if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(pi.hProcess, 1);
            WaitForSingleObject(pi.hProcess, 5000);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        pi = {};
        waitFor([] { return trayIcons().empty(); }, 3000);
    }

    PROCESS_INFORMATION launch() const {
        const std::wstring exe = exePath.empty() ? fromUnix(env(L"VARNOK_EXE")) : exePath;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + exe + L"\"";
        // Wine now and then fails a start before the program runs a line of
        // its own (seen once in a CI run); that is no fault of Varnok's, and
        // a second try tells the two apart.
        for (int attempt = 1; attempt <= 3; ++attempt) {
            PROCESS_INFORMATION p{};
            if (CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &p)) return p;
            std::printf("starting %s failed (try %d): error %lu\n", narrow(exe).c_str(), attempt, GetLastError());
            Sleep(200);
        }
        return {};
    }

    HWND findMain() const {
        const auto w = topLevelWindows(L"VarnokForm1", pi.dwProcessId);
        return w.empty() ? nullptr : w[0];
    }
    HWND control(int id) const { return GetDlgItem(main, id); }
    // Disable and Enable again, as a user forgets every No. A test that
    // answers No to one page after another is otherwise a writer that
    // Varnok holds against after the second No.
    void forgetAnswers() const {
        for (const wchar_t* caption : {L"Enable", L"Disable"}) {
            PostMessageW(control(IDC_CMDDISABLE), BM_CLICK, 0, 0);
            EXPECT_TRUE(waitFor([&] { return textOf(control(IDC_CMDDISABLE)) == caption; }));
        }
    }
    std::wstring stored() const { return page.get(L"Start Page").value_or(std::make_pair(0UL, std::wstring(L"<absent>"))).second; }
    bool exited(int timeoutMs = 5000) const { return WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0; }
    std::vector<HWND> menus() const {
        std::vector<HWND> out;
        for (HWND m : topLevelWindows(L"#32768", pi.dwProcessId)) if (IsWindowVisible(m)) out.push_back(m);
        return out;
    }

    ScratchKey page{kStartPageKey};
    std::wstring exePath; // the build's varnok.exe when empty
    PROCESS_INFORMATION pi{};
    HWND main = nullptr;
};

} // namespace wintest
