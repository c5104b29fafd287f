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

// A watchdog that writes its page again after every restore meets a No that
// holds for a minute from the answer: put back at once, unasked.
TEST_F(WatchTest, ANoHoldsForAMinuteAgainstTheSameValueInAnyForm) {
    using std::chrono::seconds;
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    page.set(L"http://other.example/");
    watch.Timer1_Timer();
    ASSERT_EQ(dialogs.questions(), 2u);
    const struct {
        const char* what;
        seconds after; // since the first No
        platform::RegistryData value;
        bool asked;
    } cases[] = {
        {"the same value", seconds(1), FakeRegistry::stringData(L"http://evil.example/"), false},
        {"the two in turn", seconds(2), FakeRegistry::stringData(L"http://other.example/"), false},
        {"as an expandable string", seconds(3), FakeRegistry::stringData(L"http://evil.example/", platform::RegExpandSz), false},
        {"with bytes after its end", seconds(4), FakeRegistry::stringData(std::wstring(L"http://evil.example/\0junk", 25)), false},
        {"a value not answered", seconds(5), FakeRegistry::stringData(L"http://EVIL.example/"), true},
        {"the same value, 59 s on", seconds(59), FakeRegistry::stringData(L"http://evil.example/"), false},
        {"the same value once the minute is over", seconds(61), FakeRegistry::stringData(L"http://evil.example/"), true},
    };
    const auto start = clock.at;
    for (const auto& c : cases) {
        clock.at = start + c.after;
        const size_t before = dialogs.questions();
        page.registry.set(platform::Hive::CurrentUser, page.kKey, L"Start Page", c.value);
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions() - before, c.asked ? 1u : 0u) << c.what;
        EXPECT_EQ(stored(), L"http://ref.example/") << c.what;
        EXPECT_EQ(page.get()->type, platform::RegSz) << c.what;
    }
}

TEST_F(WatchTest, YesChangeAndDisableWithANoRemembered) {
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    // The reference typed in the Change box is what comes back.
    dialogs.typed = L"http://mine.example/";
    watch.cmdChange_Click();
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    EXPECT_EQ(stored(), L"http://mine.example/");
    // Suspended, nothing is written; resumed, the user decides again.
    watch.cmdDisable_Click();
    page.set(L"http://evil.example/");
    const int writes = registry.writes;
    watch.Timer1_Timer();
    EXPECT_EQ(registry.writes, writes);
    watch.cmdDisable_Click();
    dialogs.answers = {Answer::Yes};
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), 2u);
    EXPECT_EQ(lblHomePage.text, L"http://evil.example/");
}

// A write refused (the key's rights taken away) or undone before it is read
// back is no restore: the user is asked again at once, then once a minute,
// and nothing is remembered as rejected.
TEST_F(WatchTest, ARestoreThatDoesNotTakeIsNeverSilent) {
    for (const bool refused : {true, false}) {
        clock.at += watch::Rejections::kHeld * 2;
        page.set(L"http://evil.example/");
        registry.failWrites = refused;
        if (!refused) registry.afterWrite = [&] { page.set(L"http://evil.example/"); };
        dialogs.shown.clear();
        timer1.requested = 0;
        watch.Timer1_Timer();
        EXPECT_EQ(timer1.requested, 1) << refused;
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 2u) << "asked again at once: " << refused;
        for (int s = 0; s < 59; ++s) {
            clock.at += std::chrono::seconds(1);
            watch.Timer1_Timer();
        }
        EXPECT_EQ(dialogs.questions(), 2u) << refused;
        clock.at += std::chrono::seconds(1);
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 3u) << "once a minute while it fails: " << refused;
        EXPECT_EQ(stored(), L"http://evil.example/");
        // Once the write takes, the No the user gave is carried out unasked.
        registry.failWrites = false;
        registry.afterWrite = nullptr;
        watch.Timer1_Timer();
        EXPECT_EQ(stored(), L"http://ref.example/");
        page.set(L"http://evil.example/");
        watch.Timer1_Timer();
        EXPECT_EQ(dialogs.questions(), 3u) << refused;
        EXPECT_EQ(stored(), L"http://ref.example/");
    }
}

TEST_F(WatchTest, WhatIsRememberedIsBoundedTheOldestGoingFirst) {
    const auto value = [](size_t i) { return L"http://flood" + std::to_wstring(i) + L".example/"; };
    for (size_t i = 0; i <= watch::Rejections::kMostValues; ++i) {
        page.set(value(i));
        watch.Timer1_Timer();
    }
    const size_t asked = dialogs.questions();
    page.set(value(watch::Rejections::kMostValues));
    watch.Timer1_Timer();
    page.set(value(0));
    watch.Timer1_Timer();
    EXPECT_EQ(dialogs.questions(), asked + 1);
    EXPECT_EQ(dialogs.shown.back().text, question(value(0)));
}

// A program that writes a rejected value back the moment it is restored: the
// restores slow down, never more than a second apart, and once the value
// stays away they come at once again.
TEST_F(WatchTest, AWriteWarIsFoughtMoreSlowlyThanTheOtherSide) {
    using std::chrono::milliseconds;
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    std::vector<milliseconds> restores;
    const auto start = clock.at;
    for (milliseconds t{0}; t < milliseconds(6000); t += milliseconds(5)) {
        clock.at = start + t;
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
    // Put back after the last pause, it stays away for a tick: the next
    // return is put back at once.
    clock.at += milliseconds(1000);
    watch.Timer1_Timer();
    EXPECT_EQ(stored(), L"http://ref.example/");
    clock.at += milliseconds(5);
    watch.Timer1_Timer();
    clock.at += milliseconds(5);
    page.set(L"http://evil.example/");
    watch.Timer1_Timer();
    EXPECT_EQ(stored(), L"http://ref.example/");
}
