#include <gtest/gtest.h>

#include "about/Form2.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUi.h"
#include "ui/Twips.h"
#include "tests/native/WatchFixture.h"

class ChangeCommandTest : public WatchFixture {};

TEST_F(ChangeCommandTest, AsksWithThePromptTitleAndPrefill) {
    watch.cmdChange_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, L"Enter a new HomePage for Microsoft Internet Explorer");
    EXPECT_EQ(dialogs.shown[0].title, L"New HomePage");
    EXPECT_EQ(dialogs.inputInitial, L"http://www.");
}

TEST_F(ChangeCommandTest, TypedTextIsWrittenAndShownExactly) {
    for (const std::wstring& typed : std::vector<std::wstring>{L"http://www.", L"  spaced  ", L"not an address", L"http://\u00e9t\u00e9.example/",
                                     std::wstring(40000, L'a')}) {
        dialogs.typed = typed;
        watch.cmdChange_Click();
        EXPECT_EQ(stored(), typed);
        EXPECT_EQ(lblHomePage.text, typed);
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 0u);
    }
}

TEST_F(ChangeCommandTest, EmptyAnswerChangesNothing) {
    dialogs.typed = L"";
    watch.cmdChange_Click();
    EXPECT_EQ(registry.writes, 0);
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
}

// Refused, or undone before it is read back: the page stored stays the
// reference, and the user is told.
TEST_F(ChangeCommandTest, AChangeThatDidNotTakeKeepsTheReferenceAndSaysSo) {
    for (const bool refused : {true, false}) {
        dialogs.shown.clear();
        registry.failWrites = refused;
        registry.afterWrite = [&] { page.set(L"http://ref.example/"); };
        dialogs.typed = L"http://mine.example/";
        watch.cmdChange_Click();
        registry.failWrites = false;
        registry.afterWrite = nullptr;
        EXPECT_EQ(lblHomePage.text, L"http://ref.example/") << refused;
        ASSERT_EQ(dialogs.shown.size(), 2u) << refused;
        EXPECT_EQ(dialogs.shown[1].kind, L"warning") << refused;
        EXPECT_EQ(dialogs.shown[1].title, L"HomePage not stored") << refused;
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 0u) << refused << ": the user's own page is not foreign";
    }
}

TEST_F(ChangeCommandTest, WorksWhileSuspendedAndHoldsOnResume) {
    watch.cmdDisable_Click();
    dialogs.typed = L"http://mine.example/";
    watch.cmdChange_Click();
    watch.cmdDisable_Click();
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 0u);
    EXPECT_EQ(stored(), L"http://mine.example/");
}

TEST(AboutTest, LinkLaunchesMailWithTheAboutWindowAsOwner) {
    FakeWindow window;
    FakeProgram program;
    FakeLauncher launcher;
    about::Form2 form{window, program, launcher};
    form.Label3_Click();
    ASSERT_EQ(launcher.calls.size(), 1u);
    const auto& c = launcher.calls[0];
    EXPECT_EQ(c.owner, window.handle());
    EXPECT_EQ(c.operation, L"Open");
    EXPECT_EQ(c.file, L"mailto:varnok@example.org");
    EXPECT_EQ(c.parameters, L"subject = Varnok v1.0.0");
    EXPECT_EQ(c.directory, program.directory());
    EXPECT_EQ(c.show, 1);
}

TEST(TwipsTest, ConvertsAtCommonDensities) {
    const struct {
        int twips, dpi, pixels;
    } cases[] = {{5400, 96, 360}, {1170, 96, 78}, {705, 96, 47}, {450, 96, 30}, {5400, 120, 450},
                 {5400, 144, 540}, {1170, 144, 117}, {7, 96, 0}, {8, 96, 1}, {0, 96, 0}};
    for (const auto& c : cases) EXPECT_EQ(ui::twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << "@" << c.dpi;
}
