#include <gtest/gtest.h>

#include "mainwindow/Form1.h"
#include "store/RegEdit.h"
#include "watch/RegistrySources.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUi.h"

using ui::MenuEntry;

class Form1Test : public ::testing::Test {
protected:
    void SetUp() override {
        page.set(L"http://ref.example/");
        form.Form_Load();
    }

    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
    watch::StartPageSource startPage{store};
    watch::HomeTabsSource tabs{registry};
    watch::LastSessionSource lastSession{registry};
    watch::PolicySource policies{registry};
    FakeCaption lblHomePage, lblStatus{L"Scanning for changes..."}, cmdDisable{L"Disable"}, mDisable{L"Disable"},
        mShow{L"Show"};
    FakeTimer timer1, trayRetry{false};
    FakeWindow window, form2;
    FakePopupMenu menu;
    ScriptedDialogs dialogs;
    FakeProgram program;
    FakeStacking stacking;
    FakeNotifyIcon icon;
    FakeClock clock;
    mainwindow::TrayIcon tray{icon, trayRetry};
    mainwindow::Form1 form{{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, mShow, window, form2, menu, dialogs,
                            program, stacking, tray, {&startPage, &tabs, &lastSession, &policies}, clock}};
};

TEST_F(Form1Test, LoadRegistersIconTakesReferenceGoesTopmostAndHides) {
    EXPECT_EQ(icon.adds, 1);
    EXPECT_EQ(icon.tip, L"Varnok v1.0.0");
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
    ASSERT_EQ(stacking.topmost.size(), 1u);
    EXPECT_EQ(stacking.topmost[0], window.handle());
    EXPECT_FALSE(window.visible);
    EXPECT_TRUE(timer1.on);
}

TEST_F(Form1Test, ShowHideToggleFollowsTheMenuCaption) {
    form.mShow_Click();
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(mShow.text, L"Hide");
    form.cmdHide_Click();
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(mShow.text, L"Show");
}

TEST_F(Form1Test, CloseBoxHidesAndKeepsWatching) {
    form.mShow_Click();
    form.Form_QueryUnload();
    EXPECT_FALSE(window.visible);
    EXPECT_FALSE(window.unloaded);
    EXPECT_EQ(mShow.text, L"Show");
    EXPECT_TRUE(timer1.on);
    EXPECT_EQ(program.ends, 0);
}

TEST_F(Form1Test, OnlyTheRightButtonAloneOpensTheMenu) {
    const struct {
        int button;
        int opens;
    } cases[] = {{2, 1}, {1, 0}, {3, 0}, {4, 0}, {6, 0}, {0, 0}};
    for (const auto& c : cases) {
        menu.opened = 0;
        form.Form_MouseDown(c.button);
        EXPECT_EQ(menu.opened, c.opens) << c.button;
    }
}

TEST_F(Form1Test, MenuEntriesRunTheirHandlersBeforeTheMenuReturns) {
    menu.choice = MenuEntry::Show;
    form.PopupContextMenu();
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(mShow.text, L"Hide");

    menu.choice = MenuEntry::Disable;
    form.PopupContextMenu();
    EXPECT_EQ(cmdDisable.text, L"Enable");
    EXPECT_EQ(mDisable.text, L"Enable");
    EXPECT_FALSE(timer1.on);

    menu.choice = MenuEntry::About;
    form.PopupContextMenu();
    EXPECT_EQ(form2.shows, 1);
    EXPECT_TRUE(timer1.on == false) << "about does not touch watching";

    menu.choice = MenuEntry::Exit;
    form.PopupContextMenu();
    EXPECT_TRUE(window.unloaded);
    EXPECT_EQ(program.ends, 1);
}

TEST_F(Form1Test, ExitFromButtonUnloadsAndEnds) {
    // Answered No, then back within the pause after its restore: it stands, waiting.
    for (int i = 0; i < 3; ++i) page.set(L"http://evil.example/"), form.Timer1_Timer();
    ASSERT_EQ(store.ReadStartPage(StartPageKey), L"http://evil.example/");
    form.cmdExit_Click();
    EXPECT_EQ(store.ReadStartPage(StartPageKey), L"http://ref.example/");
    EXPECT_EQ(window.log.back(), L"unload");
    EXPECT_EQ(program.ends, 1);
    form.Form_Unload();
    EXPECT_EQ(icon.removes, 1);
    EXPECT_FALSE(timer1.on);
}

TEST_F(Form1Test, TrayCodesThatActAndThatDoNot) {
    for (std::uint32_t code : {0x200u, 0x201u, 0x202u, 0x204u, 0x206u, 0u, 515u * 15u}) {
        form.TrayNotify(code);
    }
    EXPECT_EQ(window.shows, 0);
    EXPECT_EQ(menu.opened, 0);
    form.TrayNotify(mainwindow::kTrayRightUp);
    EXPECT_EQ(menu.opened, 1);
    form.TrayNotify(mainwindow::kTrayDoubleClick);
    EXPECT_TRUE(window.visible);
}

TEST_F(Form1Test, DoubleClickShowsWithoutTouchingTheToggle) {
    form.TrayNotify(mainwindow::kTrayDoubleClick);
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(mShow.text, L"Show");
    form.TrayNotify(mainwindow::kTrayDoubleClick);
    EXPECT_TRUE(window.visible);
    form.cmdHide_Click(); // first click only catches the caption up
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(mShow.text, L"Hide");
    form.cmdHide_Click();
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(mShow.text, L"Show");
}

TEST_F(Form1Test, NotificationsInsideTheOpenMenuAreIgnored) {
    menu.whileOpen = [&] {
        form.TrayNotify(mainwindow::kTrayRightUp);
        form.TrayNotify(mainwindow::kTrayDoubleClick);
    };
    form.TrayNotify(mainwindow::kTrayRightUp);
    EXPECT_EQ(menu.opened, 1);
    EXPECT_EQ(window.shows, 0);
    // The flag is cleared once the menu has closed.
    menu.whileOpen = nullptr;
    form.TrayNotify(mainwindow::kTrayRightUp);
    EXPECT_EQ(menu.opened, 2);
}

TEST(TrayIconTest, RetriesAFailedAddAndGivesUpAfterAFew) {
    FakeNotifyIcon icon;
    FakeTimer retry{false};
    mainwindow::TrayIcon tray{icon, retry};
    icon.results = {false, false, true};
    tray.registerIcon();
    EXPECT_TRUE(retry.on);
    tray.retryTimer_Timer();
    EXPECT_TRUE(retry.on);
    tray.retryTimer_Timer();
    EXPECT_TRUE(tray.registered());
    EXPECT_FALSE(retry.on);
    EXPECT_EQ(icon.adds, 3);

    icon.results = std::deque<bool>(50, false);
    tray.taskbarCreated();
    for (int i = 0; i < 40 && retry.on; ++i) tray.retryTimer_Timer();
    EXPECT_FALSE(retry.on);
    EXPECT_EQ(icon.adds, 3 + 1 + mainwindow::TrayIcon::kMaxRetries);
    // Given up, yet the shell may show the icon: exit still deletes it.
    const int removes = icon.removes;
    tray.unregisterIcon();
    EXPECT_EQ(icon.removes, removes + 1);
}

TEST(TrayIconTest, ShellRestartAddsTheIconAgainAndExitRemovesIt) {
    FakeNotifyIcon icon;
    FakeTimer retry{false};
    mainwindow::TrayIcon tray{icon, retry};
    tray.registerIcon();
    tray.taskbarCreated();
    EXPECT_EQ(icon.adds, 2);
    EXPECT_TRUE(icon.present);
    tray.unregisterIcon();
    EXPECT_FALSE(icon.present);
    EXPECT_EQ(icon.removes, 2);
}
