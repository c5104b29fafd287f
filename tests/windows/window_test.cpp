// The real main window, created in this process against the real registry of
// the throwaway prefix; boxes are answered from a second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <set>
#include <span>

#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Stacking.h"
#include "tests/fakes/FakeUi.h"
#include "tests/windows/WinTestSupport.h"
#include "about/win32/AboutWindow.h"
#include "mainwindow/win32/MainWindow.h"
#include "ui/Twips.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Win32Controls.h"
#include "ui/win32/ids.h"
#include "watch/RegistrySources.h"

using namespace wintest;
using ui::twipsToPixels;

namespace {

std::vector<HWND> openMenus() {
    std::vector<HWND> out;
    for (HWND m : topLevelWindows(L"#32768", GetCurrentProcessId())) {
        if (IsWindowVisible(m)) out.push_back(m);
    }
    return out;
}

RECT rectInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A control as designed; its caption, and the one it shows in turn, must be
// drawn whole.
struct Designed {
    int id;
    const wchar_t* cls;
    const wchar_t* text;
    ui::TwipsRect twips;
    const wchar_t* alternate = nullptr;
};

const Designed kMainControls[] = {
    {IDC_LABEL1, L"Static", L"Current Home Page:", {60, 90, 1485, 225}},
    {IDC_LBLHOMEPAGE, L"Static", L"http://ref.example/", {1575, 90, 3795, 270}},
    {IDC_CMDCHANGE, L"Button", L"Change", {3915, 375, 1455, 345}},
    {IDC_LABEL2, L"Static", L"Status:", {75, 405, 555, 210}},
    {IDC_LBLSTATUS, L"Static", L"Scanning for changes...", {765, 405, 3045, 225}, L"Disabled"},
    {IDC_CMDDISABLE, L"Button", L"Disable", {3915, 780, 1440, 330}, L"Enable"},
    {IDC_CMDHIDE, L"Button", L"Hide", {2490, 780, 1380, 330}},
    {IDC_CMDEXIT, L"Button", L"E&xit", {1080, 780, 1335, 330}},
};

const Designed kAboutControls[] = {
    {IDC_FORM2_LABEL1, L"Static", L"Varnok v1.0.0 ( July 8th 2002 )", {120, 120, 3135, 240}},
    {IDC_FORM2_LABEL2, L"Static", L"By Corvane", {60, 375, 3255, 285}},
    {IDC_FORM2_LABEL3, L"Button", L"varnok@example.org", {0, 795, 3405, 225}},
};

HFONT fontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

LONG fontHeight(HWND control) {
    LOGFONTW lf{};
    GetObjectW(fontOf(control), sizeof lf, &lf);
    return lf.lfHeight;
}

bool isPushButton(HWND control) {
    return classOf(control) == L"Button" && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) != BS_OWNERDRAW;
}

// The caption, set in the control's own font, fits on one line where the
// control draws it: inside a push button's frame.
void expectWhole(HWND control, const std::wstring& text) {
    RECT room{}, r{};
    GetClientRect(control, &room);
    const bool pushButton = isPushButton(control);
    if (pushButton) InflateRect(&room, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    HDC dc = GetDC(control);
    SelectObject(dc, fontOf(control));
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | (pushButton ? 0 : DT_NOPREFIX));
    ReleaseDC(control, dc);
    EXPECT_TRUE(r.right <= room.right - room.left && r.bottom <= room.bottom - room.top)
        << text << ": " << r.right << " x " << r.bottom << " px in " << room.right - room.left << " x "
        << room.bottom - room.top << ", font height " << fontHeight(control);
}

// The window's place and client area (where given) and every control where
// the twips put them at this density, every button wholly inside the client
// area, and every caption whole.
void expectLaidOut(HWND window, int dpi, ui::TwipsRect client, std::span<const Designed> controls) {
    RECT r{}, inside{};
    GetClientRect(window, &inside);
    GetWindowRect(window, &r);
    if (client.left) {
        EXPECT_TRUE(r.left == twipsToPixels(client.left, dpi) && r.top == twipsToPixels(client.top, dpi))
            << "at " << r.left << "," << r.top;
    }
    GetClientRect(window, &r);
    if (client.width) {
        EXPECT_TRUE(r.right == twipsToPixels(client.width, dpi) && r.bottom == twipsToPixels(client.height, dpi))
            << "client " << r.right << " x " << r.bottom << " at " << dpi << " dpi";
    }
    for (const auto& c : controls) {
        HWND w = GetDlgItem(window, c.id);
        EXPECT_EQ(classOf(w), c.cls) << c.id;
        EXPECT_EQ(textOf(w), c.text) << c.id;
        r = rectInParent(w);
        EXPECT_TRUE(r.left == twipsToPixels(c.twips.left, dpi) && r.top == twipsToPixels(c.twips.top, dpi) &&
                    r.right - r.left == twipsToPixels(c.twips.width, dpi) &&
                    r.bottom - r.top == twipsToPixels(c.twips.height, dpi))
            << c.text << " at " << dpi << " dpi: " << r.left << "," << r.top << " " << r.right - r.left
            << " x " << r.bottom - r.top;
        EXPECT_TRUE(!isPushButton(w) ||
                    (r.left >= 0 && r.top >= 0 && r.right <= inside.right && r.bottom <= inside.bottom))
            << c.text << " cut: ends at " << r.right << "," << r.bottom << " in " << inside.right << " x "
            << inside.bottom;
        expectWhole(w, c.text);
        if (c.alternate) expectWhole(w, c.alternate);
    }
}

int iconWidth(HICON icon) {
    ICONINFO info{};
    BITMAP bm{};
    GetIconInfo(icon, &info);
    GetObjectW(info.hbmMask, sizeof bm, &bm);
    DeleteObject(info.hbmColor), DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

// The sizes Windows asks for: small 16 and big 32 px at 96 dpi. The tray
// shows a small one at the taskbar's density, whatever the window's monitor.
void expectIconsFor(int dpi, int taskbarDpi, HWND window, HICON tray) {
    EXPECT_EQ(iconWidth(tray), MulDiv(16, taskbarDpi, 96)) << "tray with the window at " << dpi << " dpi";
    EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0))), MulDiv(16, dpi, 96));
    EXPECT_EQ(iconWidth(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0))), MulDiv(32, dpi, 96));
}

} // namespace

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        page.setString(L"Start Page", L"http://ref.example/");
        main = mainwindow::MainWindow::create(
            GetModuleHandleW(nullptr), {store, {&startPage}, stacking, notifyIcon, dialogs, timer1, trayRetry, program, about, clock});
        ASSERT_NE(main, nullptr);
        about.setOwner(main->hwnd());
        pumpFor(50);
    }
    void TearDown() override {
        main.reset();
        pumpFor(50);
    }

    HWND hwnd() const { return main->hwnd(); }
    HWND control(int id) const { return GetDlgItem(hwnd(), id); }
    std::wstring reference() const { return textOf(control(IDC_LBLHOMEPAGE)); }
    std::wstring status() const { return textOf(control(IDC_LBLSTATUS)); }
    std::wstring stored() const { return page.get(L"Start Page").value_or(std::make_pair(0UL, std::wstring(L"<absent>"))).second; }
    // Posted, as a real click is, so the test's pump drives the handler.
    void click(int id) const { PostMessageW(control(id), BM_CLICK, 0, 0); }
    // A tick of Timer1 now rather than within the second: the question it
    // asks, if any, answered No.
    std::optional<BoxSeen> questionAtATick() {
        auto box = answerBox(L"Warning!", L"&No", GetCurrentProcessId(), 1000);
        PostMessageW(hwnd(), WM_TIMER, IDT_TIMER1, 0);
        return pumpWhileWaiting(box);
    }
    HWND openAbout() {
        main->form().mAbout_Click();
        const auto w = topLevelWindows(about::kAboutWindowClass, GetCurrentProcessId());
        return w.size() == 1 ? w[0] : nullptr;
    }
    // Opens the input box with Change, hands it to `look` and checks its
    // captions on another thread while this one runs it, then cancels it.
    void lookAtInputBox(const std::function<void(HWND)>& look) {
        main->form().mShow_Click();
        auto box = answerBox(L"New HomePage", L"Cancel", GetCurrentProcessId(), 10000, [&](HWND b) {
            look(b);
            for (int id : {IDC_INPUT_PROMPT, IDOK, IDCANCEL}) expectWhole(GetDlgItem(b, id), textOf(GetDlgItem(b, id)));
        });
        click(IDC_CMDCHANGE);
        EXPECT_TRUE(pumpWhileWaiting(box).has_value()) << "no input box";
    }

    ScratchKey page{kStartPageKey};
    platform::Win32Registry registry;
    FakeProgram program;
    FakeLauncher launcher;
    RegEdit store{registry};
    watch::StartPageSource startPage{store};
    platform::Win32Stacking stacking;
    platform::Win32NotifyIcon notifyIcon{TRAY_ICON_UID, WMAPP_NOTIFYCALLBACK};
    ui::EventLoop loop;
    ui::Win32Dialogs dialogs{GetModuleHandleW(nullptr), loop};
    ui::Win32Timer timer1{IDT_TIMER1, 1000, true, IDT_TIMER1_DELAYED}, trayRetry{IDT_TRAY_RETRY, 2000, false};
    const platform::Win32Clock clock;
    about::AboutWindow about{GetModuleHandleW(nullptr), program, launcher};
    std::unique_ptr<mainwindow::MainWindow> main;
};

// The same windows where later density functions are missing: Windows 8.1
// tells each monitor's density (and reports a move as Windows 10 does),
// Windows 7 and 8 the session's alone.
const char* const kDpiFunctionsNames[] = {"PerWindow", "PerMonitor", "SessionOnly"};
class MainWindowDpiTest : public MainWindowTest, public ::testing::WithParamInterface<ui::DpiFunctions> {
    ui::DpiFunctionsAtMost older_{GetParam()};
};
INSTANTIATE_TEST_SUITE_P(EverySystem, MainWindowDpiTest,
                         ::testing::Values(ui::DpiFunctions::PerWindow, ui::DpiFunctions::PerMonitor,
                                           ui::DpiFunctions::SessionOnly),
                         [](const auto& info) { return std::string(kDpiFunctionsNames[static_cast<int>(info.param)]); });

TEST_P(MainWindowDpiTest, StartsHiddenTopmostAndEveryWindowHasTheDesignedLayout) {
    EXPECT_FALSE(IsWindowVisible(hwnd()));
    EXPECT_TRUE(GetWindowLongW(hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(textOf(hwnd()), L"Varnok");
    const LONG style = GetWindowLongW(hwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetMenu(hwnd()), nullptr);

    // The per-scale runs (at-dpi.sh) name the density they set.
    const int dpi = ui::systemDpi();
    if (const std::wstring set = env(L"VARNOK_TEST_DPI"); !set.empty()) {
        ASSERT_EQ(dpi, std::stoi(set)) << "the prefix's LogPixels did not take";
    }
    expectLaidOut(hwnd(), dpi, {705, 450, 5400, 1170}, kMainControls);
    expectIconsFor(dpi, dpi, hwnd(), notifyIcon.icon());
    EXPECT_TRUE(dpi != 96 || twipsToPixels(5400, dpi) == 360); // anchors the conversion the checks use

    // An image for each size asked for from 100 to 200 %, and the largest.
    const auto* dir = static_cast<const BYTE*>(
        LockResource(LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_VARNOK), RT_GROUP_ICON))));
    std::set<int> sizes;
    for (int i = 0; dir && i < *reinterpret_cast<const WORD*>(dir + 4); ++i) {
        const BYTE* entry = dir + 6 + 14 * i; // GRPICONDIRENTRY: width first, bits per pixel at 6
        EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 4) << "16 colours, entry " << i;
        sizes.insert(entry[0] ? entry[0] : 256);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 28, 32, 40, 48, 56, 64, 256}));

    // Tab walks the buttons in design order and wraps.
    HWND at = control(IDC_CMDCHANGE);
    for (int id : {IDC_CMDDISABLE, IDC_CMDHIDE, IDC_CMDEXIT, IDC_CMDCHANGE}) {
        at = GetNextDlgTabItem(hwnd(), at, FALSE);
        EXPECT_EQ(at, control(id));
    }

    HWND w = openAbout();
    ASSERT_NE(w, nullptr);
    expectLaidOut(w, dpi, {0, 0, 3390, 1155}, kAboutControls);
    SendMessageW(w, WM_CLOSE, 0, 0);
    lookAtInputBox([](HWND) {});
}

// Moved to a monitor of another scale, as Windows reports it; the frame it
// suggests is 9 px short of the client area the layout needs, as one drawn
// at another scale than the one it was computed for is.
TEST_P(MainWindowDpiTest, FollowsADpiChangeWithLayoutFontsIconsAndTheInputBox) {
    const int system = ui::systemDpi();
    HWND about = openAbout();
    ASSERT_NE(about, nullptr);
    for (int dpi : {192, 120}) {
        for (HWND w : {hwnd(), about}) {
            RECT r{};
            GetWindowRect(w, &r);
            const RECT suggested{r.left + 7, r.top + 5, r.left + 7 + MulDiv(r.right - r.left, dpi, system),
                                 r.top + 5 + MulDiv(r.bottom - r.top, dpi, system) - 9};
            SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            GetWindowRect(w, &r);
            EXPECT_TRUE(r.left == suggested.left && r.top == suggested.top) << dpi << " dpi: at " << r.left << ","
                                                                            << r.top;
            if (w == about) {
                expectLaidOut(w, dpi, {0, 0, 3390, 1155}, kAboutControls);
            } else {
                expectLaidOut(w, dpi, {0, 0, 5400, 1170}, kMainControls);
            }
            // Where the caption fits, the design font made for the new density.
            HWND keeps = GetDlgItem(w, w == about ? IDC_FORM2_LABEL2 : IDC_CMDCHANGE);
            EXPECT_EQ(fontHeight(keeps), -MulDiv(825, dpi, 7200)) << dpi << " dpi";
        }
        expectIconsFor(dpi, system, hwnd(), notifyIcon.icon());
    }
    SendMessageW(about, WM_CLOSE, 0, 0);

    lookAtInputBox([&](HWND box) {
        RECT designed{0, 0, 262, 86}, client{};
        MapDialogRect(box, &designed); // at the density the dialog manager used
        GetClientRect(box, &client);
        EXPECT_EQ(client.right, MulDiv(designed.right, 120, system)) << "scaled to the owner's density";
        EXPECT_EQ(client.bottom, MulDiv(designed.bottom, 120, system));
    });
}

TEST_F(MainWindowTest, DisabledWatchAsksNothingUntilEnabled) {
    click(IDC_CMDDISABLE);
    pumpUntil([&] { return status() == L"Disabled"; });
    EXPECT_EQ(textOf(control(IDC_CMDDISABLE)), L"Enable");
    page.setString(L"Start Page", L"http://evil.example/");
    EXPECT_FALSE(questionAtATick().has_value());

    auto box = answerBox(L"Warning!", L"&No", GetCurrentProcessId());
    click(IDC_CMDDISABLE);
    ASSERT_TRUE(pumpWhileWaiting(box).has_value());
    EXPECT_EQ(textOf(control(IDC_CMDDISABLE)), L"Disable");
    EXPECT_TRUE(pumpUntil([&] { return stored() == L"http://ref.example/"; }));
}

TEST_F(MainWindowTest, CloseBoxAndHideHideWhileExitEnds) {
    main->form().mShow_Click();
    EXPECT_TRUE(IsWindowVisible(hwnd()));
    SendMessageW(hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hwnd()));
    EXPECT_FALSE(IsWindowVisible(hwnd()));
    EXPECT_EQ(program.ends, 0);

    main->form().mShow_Click();
    click(IDC_CMDHIDE);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(hwnd()); }));

    const size_t iconsBefore = trayIcons().size();
    HWND w = hwnd();
    click(IDC_CMDEXIT);
    EXPECT_TRUE(pumpUntil([&] { return program.ends == 1; }));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(pumpUntil([&] { return trayIcons().size() + 1 == iconsBefore; }));
}

TEST_F(MainWindowTest, TrayDoubleClickShowsAndRightReleaseOpensOneMenu) {
    ASSERT_TRUE(pumpUntil([] { return trayIcons().size() == 1; }));
    HWND icon = trayIcons()[0];
    PostMessageW(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(hwnd()) != FALSE; }));

    // While the menu is open a second release must not open another one.
    auto watcher = std::async(std::launch::async, [&] {
        for (int i = 0; i < 400 && openMenus().empty(); ++i) Sleep(5);
        const size_t first = openMenus().size();
        PostMessageW(icon, WM_RBUTTONUP, 0, 0);
        Sleep(300);
        const size_t second = openMenus().size();
        for (HWND m : openMenus()) PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
        return std::make_pair(first, second);
    });
    PostMessageW(icon, WM_RBUTTONUP, 0, 0);
    const auto counts = pumpWhileWaiting(watcher);
    EXPECT_EQ(counts.first, 1u);
    EXPECT_EQ(counts.second, 1u);
    EXPECT_TRUE(pumpUntil([] { return openMenus().empty(); }));
}

TEST_F(MainWindowTest, ShellRestartBroadcastAddsTheIconAgain) {
    ASSERT_TRUE(pumpUntil([] { return trayIcons().size() == 1; }));
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hwnd();
    nid.uID = TRAY_ICON_UID;
    Shell_NotifyIconA(NIM_DELETE, &nid); // as a crashed shell would forget it
    ASSERT_TRUE(pumpUntil([] { return trayIcons().empty(); }));
    PostMessageW(hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(pumpUntil([] { return trayIcons().size() == 1; }));
}

TEST_F(MainWindowTest, ChangeWritesWhatWasTypedAndAsksNothing) {
    main->form().mShow_Click();
    auto box = std::async(std::launch::async, [&] {
        std::vector<HWND> found;
        for (int i = 0; i < 1000 && (found = visibleBoxes(L"New HomePage", GetCurrentProcessId())).empty(); ++i) Sleep(5);
        struct Seen {
            std::wstring prompt, initial;
            DWORD selStart = 1, selEnd = 0;
            LRESULT limit = 0;
        } seen;
        if (found.empty()) return seen;
        HWND edit = GetDlgItem(found[0], IDC_INPUT_EDIT);
        seen.prompt = textOf(GetDlgItem(found[0], IDC_INPUT_PROMPT));
        seen.initial = textOf(edit);
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selStart), reinterpret_cast<LPARAM>(&seen.selEnd));
        seen.limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
        const std::wstring typed = L"  http://mine.example/\u00e9  ";
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        PostMessageW(GetDlgItem(found[0], IDOK), BM_CLICK, 0, 0);
        return seen;
    });
    click(IDC_CMDCHANGE);
    const auto seen = pumpWhileWaiting(box);
    EXPECT_EQ(seen.prompt, L"Enter a new HomePage for Microsoft Internet Explorer");
    EXPECT_EQ(seen.initial, L"http://www.");
    EXPECT_EQ(seen.selStart, 0u);
    EXPECT_EQ(seen.selEnd, 11u);
    EXPECT_GE(seen.limit, 32767);
    EXPECT_TRUE(pumpUntil([&] { return reference() == L"  http://mine.example/\u00e9  "; }));
    EXPECT_EQ(stored(), L"  http://mine.example/\u00e9  ");
    EXPECT_FALSE(questionAtATick().has_value());
}

TEST_F(MainWindowTest, CancelledChangeWritesNothingAndAChangeMeanwhileIsAskedOnceItCloses) {
    main->form().mShow_Click();
    auto driver = std::async(std::launch::async, [&] {
        std::vector<HWND> found;
        for (int i = 0; i < 1000 && (found = visibleBoxes(L"New HomePage", GetCurrentProcessId())).empty(); ++i) Sleep(5);
        if (found.empty()) return false;
        // A foreign change while the input box is open is asked about once it
        // closes: a question would take the keyboard from the box.
        page.setString(L"Start Page", L"http://evil.example/");
        Sleep(1500); // past a safety tick
        const bool unasked = visibleBoxes(L"Warning!", GetCurrentProcessId()).empty();
        auto warning = answerBox(L"Warning!", L"&No", GetCurrentProcessId());
        PostMessageW(GetDlgItem(found[0], IDCANCEL), BM_CLICK, 0, 0);
        return warning.get().has_value() && unasked;
    });
    click(IDC_CMDCHANGE);
    EXPECT_TRUE(pumpWhileWaiting(driver, 20000));
    EXPECT_TRUE(pumpUntil([&] { return stored() == L"http://ref.example/"; }));
    EXPECT_EQ(reference(), L"http://ref.example/");
}

TEST_F(MainWindowTest, AboutOpensOnceWithItsLabelsAndLaunchesMail) {
    main->form().mAbout_Click();
    main->form().mAbout_Click();
    const auto windows = topLevelWindows(about::kAboutWindowClass, GetCurrentProcessId());
    ASSERT_EQ(windows.size(), 1u);
    HWND w = windows[0];
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(textOf(w), L"About Varnok");
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(main->form().watch().asking() == false);

    PostMessageW(GetDlgItem(w, IDC_FORM2_LABEL2), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageW(GetDlgItem(w, IDC_FORM2_LABEL2), WM_LBUTTONUP, 0, 0);
    PostMessageW(GetDlgItem(w, IDC_FORM2_LABEL3), BM_CLICK, 0, 0);
    ASSERT_TRUE(pumpUntil([&] { return !launcher.calls.empty(); }));
    ASSERT_EQ(launcher.calls.size(), 1u);
    const auto& call = launcher.calls[0];
    EXPECT_EQ(call.owner, static_cast<ui::NativeWindow>(w));
    EXPECT_EQ(call.operation, L"Open");
    EXPECT_EQ(call.file, L"mailto:varnok@example.org");
    EXPECT_EQ(call.parameters, L"subject = Varnok v1.0.0");
    EXPECT_EQ(call.show, SW_SHOWNORMAL);

    // The link is a tab stop, and Enter on it follows it too.
    HWND link = GetDlgItem(w, IDC_FORM2_LABEL3);
    EXPECT_TRUE(GetWindowLongW(link, GWL_STYLE) & WS_TABSTOP);
    MSG enter{link, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(about.preTranslateMessage(enter));
    EXPECT_EQ(launcher.calls.size(), 2u);

    // Watching goes on while it is open.
    page.setString(L"Start Page", L"http://evil.example/");
    auto box = answerBox(L"Warning!", L"&No", GetCurrentProcessId());
    EXPECT_TRUE(pumpWhileWaiting(box).has_value());

    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    main->form().mAbout_Click();
    EXPECT_EQ(topLevelWindows(about::kAboutWindowClass, GetCurrentProcessId()).size(), 1u);
}

TEST_F(MainWindowTest, MenuOpensFromTheRightButtonAndTheKeyboardAndExitHasItsAccessKey) {
    main->form().mShow_Click();
    const auto menuOpensAfter = [&](UINT msg, WPARAM w, LPARAM l) {
        auto watcher = std::async(std::launch::async, [] {
            for (int i = 0; i < 100 && openMenus().empty(); ++i) Sleep(5);
            const size_t n = openMenus().size();
            for (HWND m : openMenus()) PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
            return n;
        });
        PostMessageW(hwnd(), msg, w, l);
        const size_t n = pumpWhileWaiting(watcher);
        pumpUntil([] { return openMenus().empty(); });
        return n;
    };
    EXPECT_EQ(menuOpensAfter(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20)), 1u);
    EXPECT_EQ(menuOpensAfter(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20)), 0u);
    EXPECT_EQ(menuOpensAfter(WM_RBUTTONDOWN, MK_RBUTTON | MK_LBUTTON, MAKELPARAM(20, 20)), 0u);
    // Shift+F10 and the menu key report no position.
    EXPECT_EQ(menuOpensAfter(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd()), -1), 1u);

    MSG alt_x{hwnd(), WM_SYSCHAR, L'x', 1 << 29, 0, {}};
    EXPECT_TRUE(main->preTranslateMessage(alt_x));
    EXPECT_TRUE(pumpUntil([&] { return program.ends == 1; }));
}
