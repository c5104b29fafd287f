#pragma once
// The watch against a fake registry and scripted boxes, with the reference
// and the stored value agreeing at the start.
#include <gtest/gtest.h>

#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUi.h"
#include "store/RegEdit.h"
#include "watch/RegistrySources.h"
#include "watch/Watch.h"

class WatchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        page.set(L"http://ref.example/");
    }

    std::wstring stored() const { return store.ReadStartPage(StartPageKey); }

    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
    watch::StartPageSource startPage{store};
    FakeCaption lblHomePage{L"http://ref.example/"}, lblStatus{L"Scanning for changes..."}, cmdDisable{L"Disable"}, mDisable{L"Disable"};
    FakeTimer timer1;
    FakeClock clock;
    ScriptedDialogs dialogs;
    watch::Watch watch{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs, {&startPage}, clock};
    // Everything that decides what opens, as the program watches it.
    watch::HomeTabsSource tabs{registry};
    watch::LastSessionSource lastSession{registry};
    watch::PolicySource policies{registry};
    watch::Watch everything{{lblHomePage, lblStatus, cmdDisable, mDisable, timer1}, dialogs,
                            {&startPage, &tabs, &lastSession, &policies}, clock};
};
