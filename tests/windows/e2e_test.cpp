// The real varnok.exe, started as a user starts it and driven from this
// separate process: its windows, the registry and the tray, as the user and
// other programs see them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "platform/win32/Ansi.h"
#include "tests/windows/VarnokProcess.h"


using namespace wintest;

TEST_F(VarnokProcessTest, StartsHiddenAndTopmostWithTheReference) {
    EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(textOf(control(IDC_LBLHOMEPAGE)), L"http://ref.example/");
    EXPECT_EQ(textOf(control(IDC_LBLSTATUS)), L"Scanning for changes...");
    EXPECT_EQ(textOf(control(IDC_CMDDISABLE)), L"Disable");
    expectNamedAsShown(main, 8);
}

TEST_F(VarnokProcessTest, AForeignChangeIsAskedAboutAndEachAnswerHolds) {
    page.setString(L"Start Page", L"http://evil.example/");
    auto no = answerBox(L"Warning!", L"&No", pi.dwProcessId);
    const auto seen = no.get();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->text, L"HomePage has been changed to 'http://evil.example/'! Do you wish to keep this setting?");
    EXPECT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; }));

    page.setString(L"Start Page", L"http://kept.example/");
    auto yes = answerBox(L"Warning!", L"&Yes", pi.dwProcessId);
    auto ok = answerBox(L"HomePage stored", L"OK", pi.dwProcessId);
    ASSERT_TRUE(yes.get().has_value());
    ASSERT_TRUE(ok.get().has_value());
    EXPECT_TRUE(waitFor([&] { return textOf(control(IDC_LBLHOMEPAGE)) == L"http://kept.example/"; }));
    Sleep(200);
    EXPECT_TRUE(visibleBoxes(L"Warning!", pi.dwProcessId).empty());
    EXPECT_EQ(stored(), L"http://kept.example/");
}

TEST_F(VarnokProcessTest, TrayBringsTheWindowBackAndTheCloseBoxHidesIt) {
    PostMessageW(trayIcons()[0], WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(main) != FALSE; }));
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(main); }));
    EXPECT_FALSE(exited(200));
    EXPECT_EQ(trayIcons().size(), 1u);
}

TEST_F(VarnokProcessTest, TrayMenuOpensTheAboutWindowWhoseLinkStartsAMail) {
    // Run from a folder whose name no Western code page holds, as from a
    // Cyrillic user's profile: the link's folder reaches the shell whole.
    stop();
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"\u041f\u0440\u0438\u043c\u0435\u0440 \u0412\u0430\u0440\u043d\u043e\u043a";
    CreateDirectoryW(folder.c_str(), nullptr);
    exePath = folder + L"\\varnok.exe";
    ASSERT_TRUE(CopyFileW(fromUnix(env(L"VARNOK_EXE")).c_str(), exePath.c_str(), FALSE));
    start();
    const std::wstring stub = env(L"VARNOK_MAIL_STUB");
    ASSERT_FALSE(stub.empty());
    const std::wstring argsFile = fromUnix(stub + L".args");
    DeleteFileW(argsFile.c_str());
    ScratchKey browser{L"Software\\Wine\\WineBrowser"};
    browser.setString(L"Mailers", stub);

    PostMessageW(trayIcons()[0], WM_RBUTTONUP, 0, 0);
    ASSERT_TRUE(waitFor([&] { return menus().size() == 1; }));
    // Show, Disable, About Varnok: the separator is skipped.
    for (int i = 0; i < 3; ++i) PostMessageW(menus()[0], WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menus()[0], WM_KEYDOWN, VK_RETURN, 0);
    HWND about = nullptr;
    ASSERT_TRUE(waitFor([&] {
        const auto w = topLevelWindows(L"VarnokForm2", pi.dwProcessId);
        return !w.empty() && IsWindowVisible(about = w[0]);
    }));
    EXPECT_EQ(textOf(about), L"About Varnok");
    EXPECT_EQ(textOf(control(IDC_CMDDISABLE)), L"Disable") << "the menu chose About, not Disable";
    expectNamedAsShown(about, 3);

    PostMessageW(GetDlgItem(about, IDC_FORM2_LABEL3), BM_CLICK, 0, 0);
    // The stub may have made its file and not yet written it.
    std::string got;
    const bool received = waitFor([&] {
        std::ifstream in(narrow(argsFile));
        got.assign(std::istreambuf_iterator<char>(in), {});
        return got.find("mailto:varnok@example.org") != std::string::npos && got.find("\ncwd=") != std::string::npos &&
               got.back() == '\n';
    }, 15000);
    std::printf("mail program received: %s\n", got.c_str());
    EXPECT_TRUE(received) << got;
    // Through a code page that cannot hold the name, the shell got question
    // marks and started the mail program somewhere else.
    std::string utf8(folder.size() * 4, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), static_cast<int>(folder.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    const std::string name = utf8.substr(utf8.rfind('\\') + 1);
    EXPECT_NE(got.find(name + "\n"), std::string::npos) << "the link's folder reached the shell whole";
    // Where the manifest's UTF-8 does not take (before Windows 10 1903) and
    // the user's code page cannot hold the name, the shell gets the folder's
    // short name: never question marks, nor look-alikes of other characters.
    EXPECT_FALSE(platform::toAnsi(folder, 1252));
    EXPECT_FALSE(platform::toAnsi(L"C:\\Temp\uFF3C..", 1252)) << "a fullwidth backslash taken for '\\'";
    const std::string shortName = platform::toAnsiFolder(folder, 1252).value_or("");
    wchar_t named[MAX_PATH]{};
    GetLongPathNameW(std::wstring(shortName.begin(), shortName.end()).c_str(), named, MAX_PATH);
    EXPECT_EQ(named, folder) << "short name " << shortName;
    DeleteFileW(argsFile.c_str());
    stop();
    DeleteFileW(exePath.c_str());
    RemoveDirectoryW(folder.c_str());
}

// Every way out with a question open counts as No: the reference is back
// before the process ends. The second start and the installers reach Varnok
// by registered messages; Windows ends the session with WM_ENDSESSION.
TEST_F(VarnokProcessTest, WaysOutWithAQuestionOpenPutTheReferenceBack) {
    const struct {
        const char* what;
        std::function<void()> leave;
    } cases[] = {
        {"exit message", [&] { PostMessageW(main, RegisterWindowMessageW(VARNOK_EXIT_MESSAGE_W), 0, 0); }},
        {"end of the session",
         [&] {
             DWORD_PTR agreed = 0;
             SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 2000, &agreed);
             EXPECT_EQ(agreed, TRUE) << "Varnok never holds up the end of a session";
             // Once it returns, Windows may end the process at any moment.
             SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 2000, nullptr);
             EXPECT_EQ(stored(), L"http://ref.example/") << "written before WM_ENDSESSION returns";
         }},
    };
    for (const auto& c : cases) {
        if (!pi.hProcess) start();
        page.setString(L"Start Page", L"http://evil.example/");
        ASSERT_TRUE(waitFor([&] { return !visibleBoxes(L"Warning!", pi.dwProcessId).empty(); })) << c.what;
        c.leave();
        EXPECT_TRUE(exited()) << c.what;
        EXPECT_EQ(stored(), L"http://ref.example/") << c.what;
        stop();
    }
}

// Inside the menu's own loop the registry's notifications wait; the safety
// tick, about once a second, still finds the change.
TEST_F(VarnokProcessTest, AChangeWhileTheTrayMenuIsOpenIsStillAsked) {
    PostMessageW(trayIcons()[0], WM_RBUTTONUP, 0, 0);
    ASSERT_TRUE(waitFor([&] { return menus().size() == 1; }));
    auto no = answerBox(L"Warning!", L"&No", pi.dwProcessId, 5000);
    page.setString(L"Start Page", L"http://evil.example/");
    EXPECT_TRUE(no.get().has_value()) << "no question within 5 s of a change made with the menu open";
    EXPECT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; }));
    for (HWND m : menus()) PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(VarnokProcessTest, ExitEndsTheProcessAndLeavesNoIcon) {
    PostMessageW(control(IDC_CMDEXIT), BM_CLICK, 0, 0);
    EXPECT_TRUE(exited());
    EXPECT_TRUE(waitFor([] { return trayIcons().empty(); }));
    EXPECT_EQ(stored(), L"http://ref.example/");
}

// Every way another program can change the value is asked about, and No
// puts the reference back as a string value.
TEST_F(VarnokProcessTest, NoForeignChangeGoesUnasked) {
    const wchar_t* kBrowserKey = L"Software\\Microsoft\\Internet Explorer";
    // Wine 8's registry breaks when a key is renamed to its old name plus a
    // suffix and the old name is made again: the names go aside instead.
    const ScratchKey renamedKey{std::wstring(kBrowserKey) + L"\\Aside Main"},
        renamedParent{L"Software\\Microsoft\\Aside Internet Explorer"};
    const DWORD five = 5;
    const unsigned char blob[] = {1, 2, 3};
    const struct {
        const char* what;
        std::function<void()> change;
        std::wstring shown;
        std::wstring orShown = L"\x1"; // a change in two steps may be caught between them
    } cases[] = {
        {"value set", [&] { page.setString(L"Start Page", L"http://a.example/"); }, L"http://a.example/"},
        {"letter case only", [&] { page.setString(L"Start Page", L"http://REF.example/"); }, L"http://REF.example/"},
        {"value deleted", [&] { page.erase(L"Start Page"); }, L""},
        // Another type is asked about marked with it, showing what it holds.
        {"number", [&] { page.setRaw(L"Start Page", REG_DWORD, &five, sizeof five); }, L"[REG_DWORD] 5"},
        {"binary", [&] { page.setRaw(L"Start Page", REG_BINARY, blob, sizeof blob); },
         L"[REG_BINARY] [U+0001][U+0002][U+0003]"},
        {"a page in binary",
         [&] { page.setRaw(L"Start Page", REG_BINARY, L"http://evil.example/", 40); },
         L"[REG_BINARY] http://evil.example/"},
        {"the page's own text in another type",
         [&] { page.setRaw(L"Start Page", REG_MULTI_SZ, L"http://ref.example/\0", 42); },
         L"[REG_MULTI_SZ] http://ref.example/"},
        {"key deleted with its values", [&] { page.eraseKey(); }, L""},
        {"bare key deleted",
         [&] { RegDeleteKeyW(HKEY_CURRENT_USER, page.path().c_str()); }, L""},
        {"key deleted and created again",
         [&] {
             page.eraseKey();
             page.setString(L"Start Page", L"http://again.example/");
         },
         L"http://again.example/", L""},
        // A handle kept open follows its key: the new key at the path is the one read.
        {"key renamed away and made again",
         [&] {
             RegRenameKey(HKEY_CURRENT_USER, page.path().c_str(), L"Aside Main");
             page.setString(L"Start Page", L"http://renamed.example/");
         },
         L"http://renamed.example/", L""},
        {"its parent renamed away and the key made again",
         [&] {
             RegRenameKey(HKEY_CURRENT_USER, kBrowserKey, L"Aside Internet Explorer");
             page.setString(L"Start Page", L"http://moved.example/");
         },
         L"http://moved.example/", L""},
    };
    for (const auto& c : cases) {
        forgetAnswers();
        auto box = answerBox(L"Warning!", L"&No", pi.dwProcessId, 5000);
        c.change();
        const auto seen = box.get();
        ASSERT_TRUE(seen.has_value()) << c.what;
        const auto question = [](const std::wstring& v) {
            return L"HomePage has been changed to '" + v + L"'! Do you wish to keep this setting?";
        };
        EXPECT_TRUE(seen->text == question(c.shown) || seen->text == question(c.orShown))
            << c.what << ": " << std::string(seen->text.begin(), seen->text.end());
        EXPECT_TRUE(waitFor([&] {
            const auto v = page.get(L"Start Page");
            return v && v->first == REG_SZ && v->second == L"http://ref.example/";
        })) << c.what;
        EXPECT_TRUE(waitFor([&] { return visibleBoxes(L"Warning!", pi.dwProcessId).empty(); })) << c.what;
    }
}

// What opens besides the start page, changed in the real registry by
// another program: each change asked about in its own words and undone by
// No; a policy, which Varnok cannot undo, told with OK only and shown in the
// main window in place of the page.
TEST_F(VarnokProcessTest, EveryWayAPageOpensIsGuarded) {
    const ScratchKey lastSession{L"Software\\Microsoft\\Internet Explorer\\ContinuousBrowsing"},
        policies{L"Software\\Policies\\Microsoft\\Internet Explorer"},
        policyPanel{policies.path() + L"\\Control Panel"}, policyMain{policies.path() + L"\\Main"};
    const DWORD on = 1;
    const wchar_t tabs[] = L"http://evil.example/\0";
    const struct {
        const char* what;
        std::function<void()> change;
        std::wstring button, text;
        std::function<bool()> undone;
    } cases[] = {
        {"a tab added", [&] { page.setRaw(L"Secondary Start Pages", REG_MULTI_SZ, tabs, sizeof tabs); }, L"&No",
         L"The HomePage tabs have been changed to 'http://evil.example/'! Added: 'http://evil.example/'. Do you wish "
         L"to keep this setting?",
         [&] { return !page.get(L"Secondary Start Pages"); }},
        {"the last session turned on", [&] { lastSession.setRaw(L"Enabled", REG_DWORD, &on, sizeof on); }, L"&No",
         L"Internet Explorer has been set to open the last session instead of the HomePage! Do you wish to keep this "
         L"setting?",
         [&] {
             const auto v = lastSession.get(L"Enabled");
             return v && v->first == REG_DWORD && v->second.empty();
         }},
        {"a policy's start page",
         [&] {
             policyMain.setString(L"Start Page", L"http://forced.example/");
             policyPanel.setRaw(L"HomePage", REG_DWORD, &on, sizeof on);
         },
         L"OK",
         L"HomePage has been set to 'http://forced.example/' by a policy! Varnok cannot undo a policy: only an "
         L"administrator can.",
         [&] {
             return textOf(control(IDC_LBLHOMEPAGE)) == L"Set by a policy: http://forced.example/" &&
                    textOf(control(IDC_LBLSTATUS)) == L"Set by a policy" &&
                    policyMain.get(L"Start Page")->second == L"http://forced.example/";
         }},
    };
    for (const auto& c : cases) {
        forgetAnswers();
        auto box = answerBox(L"Warning!", c.button, pi.dwProcessId, 5000);
        c.change();
        const auto seen = box.get();
        ASSERT_TRUE(seen.has_value()) << c.what;
        EXPECT_EQ(seen->text, c.text) << c.what << ": " << narrow(seen->text);
        EXPECT_TRUE(waitFor(c.undone)) << c.what << ": the main window shows " << narrow(textOf(control(IDC_LBLHOMEPAGE)))
                                       << ", " << narrow(textOf(control(IDC_LBLSTATUS)));
        EXPECT_TRUE(waitFor([&] { return visibleBoxes(L"Warning!", pi.dwProcessId).empty(); })) << c.what;
    }
    // Told once: the policy gone, the user's page is shown again, unasked.
    policies.eraseKey();
    EXPECT_TRUE(waitFor([&] {
        return textOf(control(IDC_LBLHOMEPAGE)) == L"http://ref.example/" &&
               textOf(control(IDC_LBLSTATUS)) == L"Scanning for changes...";
    }));
    EXPECT_TRUE(visibleBoxes(L"Warning!", pi.dwProcessId).empty());
    EXPECT_EQ(stored(), L"http://ref.example/");
}

TEST_F(VarnokProcessTest, ABurstAndAChangeDuringTheQuestionAreEachAsked) {
    for (int i = 0; i < 50; ++i) page.setString(L"Start Page", L"http://burst" + std::to_wstring(i) + L".example/");
    auto first = answerBox(L"Warning!", L"&Yes", pi.dwProcessId);
    auto ok = answerBox(L"HomePage stored", L"OK", pi.dwProcessId);
    // While the question is open another program writes again.
    const auto seen = first.get();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->openAtOnce, 1);
    page.setString(L"Start Page", L"http://during.example/");
    ASSERT_TRUE(ok.get().has_value());
    auto second = answerBox(L"Warning!", L"&No", pi.dwProcessId);
    const auto next = second.get();
    ASSERT_TRUE(next.has_value());
    EXPECT_NE(next->text.find(L"'http://during.example/'"), std::wstring::npos);
    // No restores the value that Yes accepted: the one the first question showed.
    const std::wstring accepted = seen->text.substr(30, seen->text.find(L"'!") - 30);
    EXPECT_TRUE(waitFor([&] { return stored() == accepted; })) << std::string(accepted.begin(), accepted.end());
    EXPECT_EQ(textOf(control(IDC_LBLHOMEPAGE)), accepted);
}

// Whatever the value, the question lies inside the screen's work area, its
// buttons too, and No is its default button: a key pressed by chance as it
// takes the foreground keeps the page. Also run at 200 % (e2e_question_192dpi).
// A disguised value shows what it is.
TEST_F(VarnokProcessTest, EveryQuestionFitsOnTheScreenAndDefaultsToNo) {
    const struct {
        const char* what;
        std::wstring value, shows = L"";
    } cases[] = {
        {"a lookalike host", L"http://www.ex\u0430mple.com/", L"'http://www.xn--exmple-4nf.com/'!"},
        {"a space before a lookalike host", L" http://www.g\u043e\u043egle.com/", L"' http://www.xn--ggle-55da.com/'!"},
        {"a host that reads as the reference", L"http://r\u00e9f.example/", L"'http://xn--rf-bja.example/'!"},
        {"a readable address in two scripts", L"http://e\u30b3\u30de\u30fc\u30b9.jp/", L"'http://e\u30b3\u30de\u30fc\u30b9.jp/'!"},
        {"a forged end of the frame", L"http://evil.example/'! Windows Update set this page. Keep it? '",
         L"'http://evil.example/[U+0027]! Windows Update set this page. Keep it? [U+0027]'!"},
        {"2,000 zero-width spaces", std::wstring(2000, L'\u200B')},
        {"an address of 2,000 characters without spaces", L"http://long.example/" + std::wstring(2000, L'W')},
        {"a mebibyte", std::wstring(1 << 20, L'M')},
        {"mixed directions", L"http://\u05d0\u05d1.example/\u0627\u0644\u202Egpj.exe?" + std::wstring(300, L'\u05d2')},
        {"the widest glyphs", std::wstring(600, L'\uFDFD')},
        {"wide characters", std::wstring(600, L'\u4e2d')},
        {"a pile of marks", L"Z" + std::wstring(500, L'\u0301')},
    };
    for (const auto& c : cases) {
        forgetAnswers();
        RECT box{}, work{};
        LONG yes = 0, no = 0;
        auto answer = answerBox(L"Warning!", L"&No", pi.dwProcessId, 10000, [&](HWND b) {
            GetWindowRect(b, &box);
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            GetMonitorInfoW(MonitorFromWindow(b, MONITOR_DEFAULTTONEAREST), &mi);
            work = mi.rcWork;
            yes = GetWindowLongW(buttonShowing(b, L"Yes"), GWL_STYLE) & 0xF;
            no = GetWindowLongW(buttonShowing(b, L"No"), GWL_STYLE) & 0xF;
        });
        page.setString(L"Start Page", c.value);
        const auto seen = answer.get();
        ASSERT_TRUE(seen.has_value()) << c.what;
        EXPECT_NE(seen->text.find(c.shows), std::wstring::npos) << c.what;
        std::printf("%s: box %ld x %ld in a work area of %ld x %ld\n", c.what, box.right - box.left, box.bottom - box.top,
                    work.right - work.left, work.bottom - work.top);
        EXPECT_TRUE(box.left >= work.left && box.top >= work.top && box.right <= work.right && box.bottom <= work.bottom)
            << c.what << ": box " << box.left << "," << box.top << " to " << box.right << "," << box.bottom
            << ", work area " << work.left << "," << work.top << " to " << work.right << "," << work.bottom;
        EXPECT_EQ(no, BS_DEFPUSHBUTTON) << c.what;
        EXPECT_EQ(yes, BS_PUSHBUTTON) << c.what;
        EXPECT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; })) << c.what;
        EXPECT_TRUE(waitFor([&] { return visibleBoxes(L"Warning!", pi.dwProcessId).empty(); })) << c.what;
    }
}

// The name that keeps a second Varnok from running, taken by an object of
// another type: nobody else guards, so this one runs.
TEST_F(VarnokProcessTest, ANameTakenByAnotherObjectDoesNotStopVarnok) {
    stop();
    const HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, L"Local\\Varnok.SingleInstance");
    ASSERT_NE(squatter, nullptr);
    start();
    CloseHandle(squatter);
}

// The watched key a registry link, pointed at another key: Varnok asks, and
// No writes through the link.
TEST_F(VarnokProcessTest, ALinkPointedElsewhereIsAsked) {
    stop();
    const ScratchKey a{L"Software\\VarnokTests\\LinkA"}, b{L"Software\\VarnokTests\\LinkB"};
    a.setString(L"Start Page", L"http://ref.example/");
    b.setString(L"Start Page", L"http://evil.example/");
    page.eraseKey();
    const LinkKey link{page.path()};
    ASSERT_TRUE(link.made());
    link.pointAt(a.path());
    start();
    auto no = answerBox(L"Warning!", L"&No", pi.dwProcessId, 5000);
    link.pointAt(b.path());
    const auto seen = no.get();
    EXPECT_TRUE(seen && seen->text.find(L"'http://evil.example/'") != std::wstring::npos) << "asked within 5 s";
    EXPECT_TRUE(waitFor([&] { return stored() == L"http://ref.example/"; })) << "No writes through the link";
    stop();
}

// Nothing that reaches the question as it takes the foreground answers it:
// no key and no click on Yes's place in its first half second, and never a
// letter (Yes had Y as its access key). Its buttons show it: disabled, still
// named for a screen reader, then enabled. After the delay a letter still
// answers nothing, Enter answers No, and a click on Yes keeps the page;
// behind another window and back, it is inert again.
TEST_F(VarnokProcessTest, NothingSentAsTheQuestionAppearsAnswersIt) {
    const auto send = [](std::vector<INPUT> in) { return SendInput(in.size(), in.data(), sizeof(INPUT)) == in.size(); };
    const auto press = [&](std::vector<WORD> keys) { // the last held with those before it
        std::vector<INPUT> in;
        for (const DWORD up : {0UL, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
            for (size_t k = 0; k < keys.size(); ++k) {
                INPUT i{INPUT_KEYBOARD, {}};
                i.ki = {up ? keys[keys.size() - 1 - k] : keys[k], 0, up, 0, 0};
                in.push_back(i);
            }
        }
        return send(in);
    };
    const auto click = [&](HWND target) {
        RECT r{};
        GetWindowRect(target, &r);
        std::vector<INPUT> in(3, INPUT{INPUT_MOUSE, {}});
        in[0].mi = {MulDiv((r.left + r.right) / 2, 65536, GetSystemMetrics(SM_CXSCREEN)),
                    MulDiv((r.top + r.bottom) / 2, 65536, GetSystemMetrics(SM_CYSCREEN)), 0,
                    MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0};
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        return send(in);
    };
    const auto question = [&] {
        const auto boxes = visibleBoxes(L"Warning!", pi.dwProcessId);
        return boxes.empty() ? nullptr : boxes[0];
    };
    const std::pair<const char*, std::function<bool(HWND yes)>> cases[] = {
        {"y", [&](HWND) { return press({'Y'}); }},
        {"Y", [&](HWND) { return press({VK_SHIFT, 'Y'}); }},
        {"Alt+Y", [&](HWND) { return press({VK_MENU, 'Y'}); }},
        {"Enter", [&](HWND) { return press({VK_RETURN}); }},
        {"Space", [&](HWND) { return press({VK_SPACE}); }},
        {"a click on Yes", click},
        // What Enter on a disabled default button does differs between versions of Windows.
        {"Yes's command", [&](HWND yes) { return PostMessageW(GetParent(yes), WM_COMMAND, IDYES, 0) != FALSE; }},
    };
    for (const auto& [what, act] : cases) {
        forgetAnswers();
        // A value of its own: a No holds for a minute.
        page.setString(L"Start Page", L"http://sent-" + std::to_wstring(&act - &cases[0].second) + L".example/");
        HWND box = nullptr;
        ASSERT_TRUE(waitFor([&] { return (box = question()) != nullptr; })) << what;
        const HWND yes = buttonShowing(box, L"Yes"), no = buttonShowing(box, L"No");
        const bool inert = !IsWindowEnabled(yes) && !IsWindowEnabled(no);
        const auto seen = std::chrono::steady_clock::now();
        ASSERT_TRUE(act(yes)) << what;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - seen);
        std::printf("%s sent %lld ms after the question was seen\n", what, static_cast<long long>(ms.count()));
        EXPECT_TRUE(inert) << what << ": both buttons disabled as it appears";
        // Shown without access keys, and named so for a screen reader while disabled.
        EXPECT_EQ(textOf(yes) + textOf(no) + accessibleName(yes) + accessibleName(no), L"YesNoYesNo") << what;
        EXPECT_TRUE(waitFor([&] { return IsWindowEnabled(yes) && IsWindowEnabled(no); })) << what;
        EXPECT_EQ(textOf(control(IDC_LBLHOMEPAGE)), L"http://ref.example/") << what;
        EXPECT_TRUE(ms.count() >= 200 || question() == box) << what << ": answered within the delay";
        // After the delay: a letter still answers nothing, Enter answers No.
        ASSERT_TRUE(press({'Y'}));
        Sleep(200);
        EXPECT_TRUE(!question() || question() == box) << what;
        ASSERT_TRUE(press({VK_RETURN}));
        EXPECT_TRUE(waitFor([&] { return !question() && stored() == L"http://ref.example/"; })) << what;
    }

    page.setString(L"Start Page", L"http://clicked.example/");
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = question()) != nullptr; }));
    const HWND yes = answerableButton(box, L"Yes");
    ASSERT_NE(yes, nullptr);
    // Behind another window it is inert, back in front for another half
    // second. The window is this thread's: it runs its messages meanwhile.
    const HWND elsewhere = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"Elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                                           100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(elsewhere);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindowEnabled(yes); })) << "inert behind another window";
    const auto back = std::chrono::steady_clock::now();
    SetForegroundWindow(box);
    // Wine hands the foreground to the desktop now and then, as this
    // thread's window hears late that it lost the X focus: ask again.
    EXPECT_TRUE(pumpUntil([&] {
        if (GetForegroundWindow() != box) SetForegroundWindow(box);
        return IsWindowEnabled(yes) != FALSE;
    }));
    const auto inert = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - back);
    std::printf("back in front, inert for %lld ms\n", static_cast<long long>(inert.count()));
    EXPECT_GE(inert.count(), 450);
    DestroyWindow(elsewhere);
    auto ok = answerBox(L"HomePage stored", L"OK", pi.dwProcessId);
    ASSERT_TRUE(click(yes));
    EXPECT_TRUE(ok.get().has_value()) << "the click on Yes was taken";
    EXPECT_TRUE(waitFor([&] { return stored() == L"http://clicked.example/"; }));
}

// Someone typing into another window goes on typing as the question comes
// to the front: Tab, Enter, arrows and Space at 10 keys a second, from a
// second before it appears until a second after its half second in front.
// None of it answers, however the keys fall; once the typing has stopped,
// a deliberate Tab and Enter answer Yes. A round in which this process
// itself stalled for 400 ms (a pause a user could make) proves nothing and
// is run again with a fresh Varnok.
TEST_F(VarnokProcessTest, TypingThatRunsOnIntoTheQuestionNeverAnswersIt) {
    using Clock = std::chrono::steady_clock;
    const auto key = [](WORD vk) {
        INPUT in[2]{{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
        in[0].ki.wVk = in[1].ki.wVk = vk;
        in[1].ki.dwFlags = KEYEVENTF_KEYUP;
        return SendInput(2, in, sizeof(INPUT)) == 2;
    };
    const auto question = [&] {
        const auto boxes = visibleBoxes(L"Warning!", pi.dwProcessId);
        return boxes.empty() ? nullptr : boxes[0];
    };
    for (int round = 1;; ++round) {
        ASSERT_LE(round, 3) << "this process stalled in every round";
        // The window typed into, this thread's.
        const HWND form = CreateWindowExW(WS_EX_TOPMOST, L"EDIT", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 60, nullptr,
                                          nullptr, nullptr, nullptr);
        SetForegroundWindow(form);
        std::atomic<Clock::time_point> stopAt{Clock::time_point::max()};
        std::atomic<long long> longestGap{0};
        std::atomic<int> sent{0};
        std::thread typist([&] {
            const WORD keys[] = {VK_TAB, VK_RETURN, VK_LEFT, VK_RETURN, VK_UP, VK_SPACE};
            for (auto last = Clock::now(); Clock::now() < stopAt.load(); Sleep(100)) {
                if (key(keys[sent++ % std::size(keys)])) {
                    const auto now = Clock::now();
                    longestGap = std::max<long long>(longestGap, (now - last) / std::chrono::milliseconds(1));
                    last = now;
                }
            }
        });
        pumpFor(1000);
        page.setString(L"Start Page", L"http://typed-over.example/");
        HWND box = nullptr;
        const bool appeared = pumpUntil([&] { return (box = question()) != nullptr; });
        if (appeared) stopAt = Clock::now() + std::chrono::milliseconds(1500);
        bool enabledWhileTyping = false;
        pumpUntil([&] {
            enabledWhileTyping |= box && IsWindowEnabled(buttonShowing(box, L"Yes"));
            return Clock::now() >= stopAt.load();
        }, 10000);
        stopAt = Clock::now();
        typist.join();
        DestroyWindow(form);
        const bool open = question() == box, asked = !enabledWhileTyping;
        const std::wstring label = textOf(control(IDC_LBLHOMEPAGE));
        std::printf("round %d: %d keys, the longest gap %lld ms; the box %s, its buttons %s while typing, the page "
                    "shown %s\n", round, sent.load(), longestGap.load(), open ? "still open" : "gone",
                    asked ? "disabled" : "enabled", narrow(label).c_str());
        if (longestGap >= 400) {
            stop();
            page.setString(L"Start Page", L"http://ref.example/");
            start();
            continue;
        }
        ASSERT_TRUE(appeared);
        EXPECT_TRUE(open && asked) << "a key typed on answered the question";
        EXPECT_EQ(label, L"http://ref.example/");
        // The user stops, reads, then moves to Yes and takes it.
        ASSERT_NE(answerableButton(box, L"Yes"), nullptr);
        Sleep(300);
        auto ok = answerBox(L"HomePage stored", L"OK", pi.dwProcessId);
        ASSERT_TRUE(key(VK_TAB));
        Sleep(150);
        ASSERT_TRUE(key(VK_RETURN));
        EXPECT_TRUE(ok.get().has_value()) << "the deliberate Tab, Enter answered Yes";
        EXPECT_TRUE(waitFor([&] { return textOf(control(IDC_LBLHOMEPAGE)) == L"http://typed-over.example/"; }));
        EXPECT_EQ(stored(), L"http://typed-over.example/");
        return;
    }
}
