#include <gtest/gtest.h>

#include "tests/native/WatchFixture.h"

using ui::Answer;

namespace {
std::wstring question(const std::wstring& v) {
    return L"HomePage has been changed to '" + v + L"'! Do you wish to keep this setting?";
}
} // namespace

class WatchTest : public WatchFixture {};

TEST_F(WatchTest, UnchangedValueAsksNothingAndLeavesTheStatusAlone) {
    for (int i = 0; i < 5; ++i) watch.Timer1_Timer();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(lblStatus.sets, 0);
    EXPECT_EQ(registry.writes, 0);
}

TEST_F(WatchTest, NoWritesTheReferenceBack) {
    page.set(L"http://evil.example/");
    dialogs.answers = {Answer::No};
    dialogs.whileAsking = [&] { EXPECT_EQ(lblStatus.text, L"HomePage changed!"); };
    watch.Timer1_Timer();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, question(L"http://evil.example/"));
    EXPECT_EQ(dialogs.shown[0].title, L"Warning!");
    EXPECT_EQ(stored(), L"http://ref.example/");
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
    EXPECT_EQ(lblStatus.text, L"Scanning for changes...");
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(WatchTest, YesKeepsTheNewValueAndConfirms) {
    page.set(L"http://new.example/");
    dialogs.answers = {Answer::Yes};
    watch.Timer1_Timer();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, L"information");
    EXPECT_EQ(dialogs.shown[1].text, L"New Homepage stored");
    EXPECT_EQ(dialogs.shown[1].title, L"HomePage stored");
    EXPECT_EQ(lblHomePage.text, L"http://new.example/");
    EXPECT_EQ(stored(), L"http://new.example/");
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(WatchTest, YesAcceptsTheValueTheUserSawNotALaterOne) {
    page.set(L"http://shown.example/");
    dialogs.answers = {Answer::Yes, Answer::No};
    dialogs.whileAsking = [&] {
        dialogs.whileAsking = nullptr;
        page.set(L"http://sneaky.example/");
    };
    watch.Timer1_Timer();
    EXPECT_EQ(lblHomePage.text, L"http://shown.example/");
    // The later value is a change of its own, asked about at the next tick.
    watch.Timer1_Timer();
    ASSERT_EQ(dialogs.questions(), 2u);
    EXPECT_EQ(dialogs.shown.back().text, question(L"http://sneaky.example/"));
    EXPECT_EQ(stored(), L"http://shown.example/");
}

TEST_F(WatchTest, DifferencesThatCount) {
    struct Case {
        const char* what;
        std::wstring reference;
        std::optional<std::wstring> value; // nothing: the value is deleted
        std::wstring shown;
    } cases[] = {
        {"letter case", L"http://a.example/", L"http://A.example/", L"http://A.example/"},
        {"trailing space", L"http://a.example/", L"http://a.example/ ", L"http://a.example/ "},
        {"deleted value", L"http://a.example/", std::nullopt, L""},
        {"unreadable at start-up, readable now", L"", L"http://a.example/", L"http://a.example/"},
    };
    for (const auto& c : cases) {
        lblHomePage.text = c.reference;
        if (c.value) page.set(*c.value); else page.erase();
        dialogs.shown.clear();
        dialogs.answers = {Answer::No};
        watch.Timer1_Timer();
        ASSERT_EQ(dialogs.questions(), 1u) << c.what;
        EXPECT_EQ(dialogs.shown[0].text, question(c.shown)) << c.what;
        ASSERT_NE(page.get(), nullptr) << c.what;
        EXPECT_EQ(page.get()->type, platform::RegSz) << c.what;
        EXPECT_EQ(stored(), c.reference) << c.what;
    }
}

TEST_F(WatchTest, YesOnADeletedValueMakesTheReferenceEmpty) {
    page.erase();
    dialogs.answers = {Answer::Yes};
    watch.Timer1_Timer();
    EXPECT_EQ(lblHomePage.text, L"");
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 1u);
}

TEST_F(WatchTest, RestoredBeforeTheNextTickAsksNothing) {
    page.set(L"http://evil.example/");
    page.set(L"http://ref.example/");
    watch.Timer1_Timer();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WatchTest, TicksInsideOpenBoxesDoNothing) {
    page.set(L"http://evil.example/");
    dialogs.answers = {Answer::Yes};
    int inner = 0;
    dialogs.whileAsking = [&] {
        page.set(L"http://other.example/");
        watch.Timer1_Timer();
        ++inner;
    };
    dialogs.whileInforming = [&] {
        watch.Timer1_Timer();
        ++inner;
    };
    watch.Timer1_Timer();
    EXPECT_EQ(inner, 2);
    EXPECT_EQ(dialogs.questions(), 1u);
    EXPECT_FALSE(watch.asking());
}

TEST_F(WatchTest, ToggleSwitchesTimerStatusAndBothCaptions) {
    watch.cmdDisable_Click();
    EXPECT_FALSE(timer1.on);
    EXPECT_EQ(lblStatus.text, L"Disabled");
    EXPECT_EQ(cmdDisable.text, L"Enable");
    EXPECT_EQ(mDisable.text, L"Enable");
    watch.mDisable_Click();
    EXPECT_TRUE(timer1.on);
    EXPECT_EQ(lblStatus.text, L"Scanning for changes...");
    EXPECT_EQ(cmdDisable.text, L"Disable");
    EXPECT_EQ(mDisable.text, L"Disable");
    EXPECT_EQ(registry.reads, 0);
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
}

TEST_F(WatchTest, ChangeWhileSuspendedIsFoundOnResume) {
    watch.cmdDisable_Click();
    page.set(L"http://evil.example/");
    watch.cmdDisable_Click();
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 1u);
}

TEST_F(WatchTest, SuspendingDuringTheQuestionKeepsTheStatusDisabled) {
    page.set(L"http://evil.example/");
    dialogs.whileAsking = [&] { watch.mDisable_Click(); };
    watch.Timer1_Timer();
    EXPECT_EQ(lblStatus.text, L"Disabled");
    EXPECT_EQ(stored(), L"http://ref.example/");
}

TEST_F(WatchTest, TheSessionsEndWritesTheReferenceBackOnlyIfAQuestionIsOpen) {
    watch.sessionEnding();
    EXPECT_EQ(registry.writes, 0);

    watch::Watch fresh{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, store, clock};
    page.set(L"http://evil.example/");
    dialogs.answers = {Answer::Yes}; // whatever the dying box returns, nothing more is done
    dialogs.whileAsking = [&] {
        fresh.sessionEnding();
        EXPECT_EQ(stored(), L"http://ref.example/") << "written before the handler returns";
    };
    fresh.Timer1_Timer();
    EXPECT_EQ(registry.writes, 1);
    EXPECT_EQ(lblHomePage.text, L"http://ref.example/");
    EXPECT_EQ(dialogs.shown.size(), 1u);
    page.set(L"http://later.example/");
    fresh.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 1u) << "no tick runs after the end";
}

// A No holds for a minute from the answer against the same page in any form;
// a value not answered is asked, and so is the same one once the minute is over.
TEST_F(WatchTest, ANoHoldsForAMinute) {
    using std::chrono::seconds;
    const auto sz = [](const std::wstring& v) { return FakeRegistry::stringData(v); };
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    page.set(L"http://other.example/");
    watch.Timer1_Timer();
    const struct {
        seconds after; // since the first No
        platform::RegistryData value;
        size_t asked;
    } cases[] = {
        {seconds(1), sz(L"http://evil.example/"), 0},
        {seconds(2), sz(L"http://other.example/"), 0}, // the two in turn
        {seconds(3), FakeRegistry::stringData(L"http://evil.example/", platform::RegExpandSz), 0},
        {seconds(4), sz(std::wstring(L"http://evil.example/\0junk", 25)), 0},
        {seconds(5), sz(L"http://EVIL.example/"), 1},
        {seconds(59), sz(L"http://evil.example/"), 0},
        {seconds(61), sz(L"http://evil.example/"), 1},
    };
    const auto start = clock.at;
    for (const auto& c : cases) {
        clock.at = start + c.after;
        const size_t before = dialogs.questions();
        page.registry.set(platform::Hive::CurrentUser, page.kKey, L"Start Page", c.value);
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions() - before, c.asked) << c.after.count();
        EXPECT_EQ(page.get()->type, platform::RegSz) << c.after.count();
        EXPECT_EQ(stored(), L"http://ref.example/") << c.after.count();
    }
}

// The page typed in the Change box is what comes back; suspended, nothing is
// written; resumed, the user decides again.
TEST_F(WatchTest, ChangeAndDisableWithANoRemembered) {
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    dialogs.typed = L"http://mine.example/";
    watch.cmdChange_Click();
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    EXPECT_EQ(stored(), L"http://mine.example/");
    watch.cmdDisable_Click();
    page.set(L"http://evil.example/");
    const int writes = registry.writes;
    watch.Timer1_Timer();
    EXPECT_EQ(registry.writes, writes);
    watch.cmdDisable_Click();
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 2u);
}

// A write refused, or undone before it is read back: asked again at once, then
// once a minute, never remembered; once the write takes, that No is carried out.
TEST_F(WatchTest, ARestoreThatDoesNotTakeIsNeverSilent) {
    for (const bool refused : {true, false}) {
        clock.at += watch::Rejections::kHeld * 2;
        page.set(L"http://evil.example/");
        registry.failWrites = refused;
        if (!refused) registry.afterWrite = [&] { page.set(L"http://evil.example/"); };
        dialogs.shown.clear();
        watch.Timer1_Timer();
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 2u) << refused;
        for (int s = 0; s < 60; ++s, clock.at += std::chrono::seconds(1)) watch.Timer1_Timer();
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 3u) << refused;
        registry.failWrites = false;
        registry.afterWrite = nullptr;
        watch.Timer1_Timer();
        page.set(L"http://evil.example/");
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 3u) << refused;
        EXPECT_EQ(stored(), L"http://ref.example/");
    }
}

// Written back the moment it is restored, a rejected value is put back ever
// more slowly, never more than a second apart.
TEST_F(WatchTest, AWriteWarIsFoughtMoreSlowlyThanTheOtherSide) {
    using std::chrono::milliseconds;
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    std::vector<milliseconds> restores;
    for (milliseconds t{0}; t < milliseconds(6000); t += milliseconds(5)) {
        clock.at += milliseconds(5);
        page.set(L"http://evil.example/");
        watch.Timer1_Timer();
        if (stored() == L"http://ref.example/") restores.push_back(t);
    }
    ASSERT_GE(restores.size(), 8u);
    EXPECT_EQ(restores[0], milliseconds(0));
    for (size_t i = 2; i < restores.size(); ++i) {
        EXPECT_GE(restores[i] - restores[i - 1], restores[i - 1] - restores[i - 2]) << i;
        EXPECT_LE(restores[i] - restores[i - 1], milliseconds(1000)) << i;
    }
    EXPECT_EQ(dialogs.questions(), 1u);
}
