#include <gtest/gtest.h>

#include "store/CachingRegistry.h"
#include "store/RegEdit.h"
#include "tests/fakes/FakeRegistry.h"

namespace {

struct FakeSignal : platform::ChangeSignal {
    bool consumeChange() override { return std::exchange(changed, false); }
    bool changed = false;
};

struct FakeClock : platform::Clock {
    std::uint64_t nowMs() const override { return now; }
    std::uint64_t now = 1000;
};

} // namespace

class CachingRegistryTest : public ::testing::Test {
protected:
    FakeRegistry real;
    StartPageInRegistry page{real};
    FakeSignal signal;
    FakeClock clock;
    store::CachingRegistry cache{real, signal, clock, *store::parseRegistryPath(StartPageKey)};
    RegEdit store{cache};

    std::wstring read() { return store.ReadStartPage(StartPageKey); }
};

TEST_F(CachingRegistryTest, ServesTheLastRealReadUntilAChangeIsReported) {
    page.set(L"http://a.example/");
    EXPECT_EQ(read(), L"http://a.example/");
    page.set(L"http://b.example/"); // unreported: served from the cache
    for (int i = 0; i < 10; ++i) EXPECT_EQ(read(), L"http://a.example/");
    EXPECT_EQ(real.reads, 1);
    signal.changed = true;
    EXPECT_EQ(read(), L"http://b.example/");
    EXPECT_EQ(real.reads, 2);
}

TEST_F(CachingRegistryTest, ReadsForRealOnceTheCachedValueIsOld) {
    page.set(L"http://a.example/");
    read();
    page.set(L"http://b.example/");
    clock.now += store::CachingRegistry::kMaxAgeMs - 1;
    EXPECT_EQ(read(), L"http://a.example/");
    clock.now += 1;
    EXPECT_EQ(read(), L"http://b.example/");
}

TEST_F(CachingRegistryTest, AnAbsentValueIsCachedAsAbsent) {
    EXPECT_EQ(read(), L"");
    page.set(L"http://a.example/");
    EXPECT_EQ(read(), L"");
    signal.changed = true;
    EXPECT_EQ(read(), L"http://a.example/");
}

TEST_F(CachingRegistryTest, AWriteIsNeverHiddenByTheCache) {
    page.set(L"http://a.example/");
    read();
    real.failWrites = true;
    store.WriteStartPage(StartPageKey, L"http://b.example/");
    EXPECT_EQ(read(), L"http://a.example/") << "a failed write must show as such";
    real.failWrites = false;
    store.WriteStartPage(StartPageKey, L"http://b.example/");
    EXPECT_EQ(read(), L"http://b.example/");
}

TEST_F(CachingRegistryTest, OtherValuesPassStraightThrough) {
    const std::wstring other = L"HKCU\\Software\\Microsoft\\Internet Explorer\\Main\\Search Page";
    real.set(platform::Hive::CurrentUser, StartPageInRegistry::kKey, L"Search Page", FakeRegistry::stringData(L"s1"));
    EXPECT_EQ(store.ReadStartPage(other), L"s1");
    real.set(platform::Hive::CurrentUser, StartPageInRegistry::kKey, L"Search Page", FakeRegistry::stringData(L"s2"));
    EXPECT_EQ(store.ReadStartPage(other), L"s2");
    // The watched value is matched without regard to case, as the registry does.
    page.set(L"x");
    EXPECT_EQ(store.ReadStartPage(L"hkcu\\SOFTWARE\\microsoft\\internet explorer\\main\\start page"), L"x");
    page.set(L"y");
    EXPECT_EQ(read(), L"x");
}
