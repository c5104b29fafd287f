#include <gtest/gtest.h>

#include <functional>

#include "store/OpenAtStart.h"
#include "store/RegEdit.h"
#include "store/RegistryPath.h"
#include "store/RegistryText.h"
#include "tests/fakes/FakeRegistry.h"

using platform::Hive;
using platform::RegistryData;

namespace {

RegistryData bytes(std::uint32_t type, std::vector<std::uint8_t> b) { return {type, std::move(b)}; }

std::wstring noExpand(const std::wstring& s) { return s; }

// A page of a type that is no string's, as the store marks it.
std::wstring typed(const std::wstring& marked) { return L'\0' + marked; }

} // namespace

TEST(RegistryText, ConvertsEachTypeAsTheScriptingHostDoes) {
    struct Case {
        const char* what;
        RegistryData data;
        std::wstring text;
        std::wstring page = text; // as the watch compares a start page: marked where its type is no string's
    } cases[] = {
        {"string", FakeRegistry::stringData(L"http://a.example/"), L"http://a.example/"},
        {"empty string", FakeRegistry::stringData(L""), L""},
        {"string cut at embedded NUL", FakeRegistry::stringData(std::wstring(L"ab\0cd", 5)), L"ab"},
        {"string without terminator", bytes(platform::RegSz, {'h', 0, 'i', 0}), L"hi"},
        {"odd trailing byte dropped", bytes(platform::RegSz, {'h', 0, 'i'}), L"h"},
        {"no data at all", bytes(platform::RegSz, {}), L""},
        {"non-ASCII", FakeRegistry::stringData(L"http://\u00e9t\u00e9.example/\u4e2d"), L"http://\u00e9t\u00e9.example/\u4e2d"},
        {"dword five", bytes(platform::RegDword, {5, 0, 0, 0}), L"5", typed(L"[REG_DWORD] 5")},
        {"dword is unsigned", bytes(platform::RegDword, {0xFF, 0xFF, 0xFF, 0xFF}), L"4294967295", typed(L"[REG_DWORD] 4294967295")},
        {"short dword", bytes(platform::RegDword, {5, 0}), L"", typed(L"[REG_DWORD] \u0005")},
        {"qword", bytes(platform::RegQword, {0, 0, 0, 0, 1, 0, 0, 0}), L"4294967296", typed(L"[REG_QWORD] 4294967296")},
        {"qword max", bytes(platform::RegQword, std::vector<std::uint8_t>(8, 0xFF)), L"18446744073709551615", typed(L"[REG_QWORD] 18446744073709551615")},
        {"binary as UTF-16", bytes(platform::RegBinary, {'h', 0, 'i', 0}), L"", typed(L"[REG_BINARY] hi")},
        {"binary as ANSI", bytes(platform::RegBinary, {'h', 'i', 0}), L"", typed(L"[REG_BINARY] hi")},
        {"binary, odd", bytes(platform::RegBinary, {'h', 0, 'i'}), L"", typed(L"[REG_BINARY] hi")},
        {"multi-string", bytes(platform::RegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}), L"", typed(std::wstring(L"[REG_MULTI_SZ] a\0b", 18))},
        {"none", bytes(platform::RegNone, {'a', 0}), L"", typed(L"[REG_NONE] a")},
        {"big-endian dword", bytes(platform::RegDwordBigEndian, {0, 0, 0, 5}), L"", typed(std::wstring(L"[REG_DWORD_BIG_ENDIAN] \0\u0500", 25))},
        {"unknown type", bytes(0x12345, {'a', 0}), L"", typed(L"[type 74565] a")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store::registryDataToText(c.data, noExpand), c.text) << c.what;
        const std::wstring page = store::pageOf(c.data, noExpand);
        EXPECT_EQ(page, c.page) << c.what;
        const auto [mark, text] = store::splitPage(page);
        EXPECT_EQ(mark + text, store::shownPage(page)) << c.what;
    }
}

TEST(RegistryText, ExpandsOnlyExpandableStrings) {
    auto expand = [](const std::wstring& s) { return s == L"%HOME%\\x" ? std::wstring(L"C:\\u\\x") : s; };
    EXPECT_EQ(store::registryDataToText(FakeRegistry::stringData(L"%HOME%\\x", platform::RegExpandSz), expand), L"C:\\u\\x");
    EXPECT_EQ(store::registryDataToText(FakeRegistry::stringData(L"%HOME%\\x"), expand), L"%HOME%\\x");
}

TEST(RegistryPath, AcceptsTheHiveNamesAndSplitsKeyFromValue) {
    struct Case {
        std::wstring path;
        Hive hive;
        std::wstring key, value;
    } cases[] = {
        {L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page", Hive::CurrentUser,
         L"Software\\Microsoft\\Internet Explorer\\Main", L"Start Page"},
        {L"HKCU\\Software\\V", Hive::CurrentUser, L"Software", L"V"},
        {L"hkcu\\Software\\V", Hive::CurrentUser, L"Software", L"V"},
        {L"HKLM\\Software\\V", Hive::LocalMachine, L"Software", L"V"},
        {L"HKEY_LOCAL_MACHINE\\a\\b", Hive::LocalMachine, L"a", L"b"},
        {L"HKCR\\.txt\\", Hive::ClassesRoot, L".txt", L""},
        {L"HKEY_CLASSES_ROOT\\x\\y", Hive::ClassesRoot, L"x", L"y"},
        {L"HKEY_USERS\\.DEFAULT\\v", Hive::Users, L".DEFAULT", L"v"},
        {L"HKEY_CURRENT_CONFIG\\System\\v", Hive::CurrentConfig, L"System", L"v"},
        {L"HKCU\\Software\\Key\\", Hive::CurrentUser, L"Software\\Key", L""},
        {L"HKCU\\Value", Hive::CurrentUser, L"", L"Value"},
        {L"HKCU\\", Hive::CurrentUser, L"", L""},
    };
    for (const auto& c : cases) {
        const auto p = store::parseRegistryPath(c.path);
        ASSERT_TRUE(p.has_value()) << std::string(c.path.begin(), c.path.end());
        EXPECT_EQ(p->hive, c.hive);
        EXPECT_EQ(p->key, c.key);
        EXPECT_EQ(p->value, c.value);
    }
}

TEST(RegistryPath, RejectsWhatNamesNoValue) {
    for (const std::wstring& path : std::vector<std::wstring>{L"", L"HKCU", L"Start Page", L"HKEY_PERFORMANCE_DATA\\x\\y", L"HKXX\\a\\b",
                                    L"\\HKCU\\a", L"HKCU\\\\a\\b", L"HKCU\\a\\\\b", L"HKCU\\a\\\\", L" HKCU\\a\\b",
                                    std::wstring(L"HKCU\\a\0b\\c", 10)}) {
        EXPECT_FALSE(store::parseRegistryPath(path).has_value()) << std::string(path.begin(), path.end());
    }
}

class StoreTest : public ::testing::Test {
protected:
    FakeRegistry registry;
    StartPageInRegistry page{registry};
    RegEdit store{registry};
};

TEST_F(StoreTest, AbsentValueReadsEmpty) { EXPECT_EQ(store.ReadStartPage(StartPageKey), L""); }

TEST_F(StoreTest, ReadsAndWritesTheWatchedValue) {
    page.set(L"http://a.example/");
    EXPECT_EQ(store.ReadStartPage(StartPageKey), L"http://a.example/");
    store.WriteStartPage(StartPageKey, L"http://b.example/");
    EXPECT_EQ(store.ReadStartPage(StartPageKey), L"http://b.example/");
    ASSERT_NE(page.get(), nullptr);
    EXPECT_EQ(page.get()->type, platform::RegSz);
}

TEST_F(StoreTest, WriteCreatesAnAbsentValueAndWritesEmptyTextAsAValue) {
    store.WriteStartPage(StartPageKey, L"");
    ASSERT_NE(page.get(), nullptr);
    EXPECT_EQ(page.get()->type, platform::RegSz);
    EXPECT_EQ(store.ReadStartPage(StartPageKey), L"");
}

TEST_F(StoreTest, FailuresAreSwallowed) {
    registry.failWrites = true;
    store.WriteStartPage(StartPageKey, L"x");
    EXPECT_EQ(page.get(), nullptr);
    store.WriteStartPage(L"NOT A PATH", L"x");
    EXPECT_EQ(store.ReadStartPage(L"NOT A PATH"), L"");
}

TEST_F(StoreTest, ExpandsThroughThePlatform) {
    registry.environment[L"SITE"] = L"a.example";
    registry.set(Hive::CurrentUser, StartPageInRegistry::kKey, L"Start Page",
                 FakeRegistry::stringData(L"http://%SITE%/", platform::RegExpandSz));
    EXPECT_EQ(store.ReadStartPage(StartPageKey), L"http://a.example/");
}

namespace {

RegistryData multi(std::initializer_list<std::wstring> strings) {
    RegistryData d{platform::RegMultiSz, {}};
    for (const std::wstring& s : strings) {
        const auto one = FakeRegistry::stringData(s);
        d.bytes.insert(d.bytes.end(), one.bytes.begin(), one.bytes.end());
    }
    d.bytes.push_back(0), d.bytes.push_back(0);
    return d;
}
RegistryData dword(std::uint8_t n) { return {platform::RegDword, {n, 0, 0, 0}}; }

const std::wstring kPolicies = store::kPoliciesKey, kPolicyTabs = kPolicies + L"\\Main\\SecondaryStartPages";

} // namespace

// What opens besides the start page, each row a registry and what is read from it.
TEST(OpenAtStart, ReadsTabsTheSwitchAndThePolicies) {
    using Set = std::function<void(FakeRegistry&)>;
    const auto put = [](Hive h, std::wstring key, std::wstring name, RegistryData d) -> Set {
        return [=](FakeRegistry& r) { r.set(h, key, name, d); };
    };
    const auto tabs = [&](RegistryData d) { return put(Hive::CurrentUser, store::kMainKey, store::kHomeTabsValue, d); };
    const auto lastSession = [&](RegistryData d) {
        return put(Hive::CurrentUser, store::kLastSessionKey, store::kLastSessionValue, d);
    };
    const auto policy = [&](Hive h, std::wstring key, std::wstring name, RegistryData d) {
        return put(h, kPolicies + key, name, d);
    };
    const auto sz = [](const wchar_t* s) { return FakeRegistry::stringData(s); };
    const struct {
        const char* what;
        std::vector<Set> registry;
        std::vector<std::wstring> tabs;
        bool lastSession = false;
        store::Policies policies{};
    } rows[] = {
        {"nothing set", {}, {}},
        {"tabs in order", {tabs(multi({L"http://a/", L"http://b/"}))}, {L"http://a/", L"http://b/"}},
        {"an empty string inside the list hides nothing after it", {tabs(multi({L"http://a/", L"", L"http://c/"}))},
         {L"http://a/", L"", L"http://c/"}},
        {"an empty list", {tabs(multi({}))}, {}},
        {"a tab stored as a string", {tabs(sz(L"http://a/"))}, {L"http://a/"}},
        {"a tab stored as binary", {tabs({platform::RegBinary, {'h', 'i'}})}, {typed(L"[REG_BINARY] hi").substr(1)}},
        {"the switch on", {lastSession(dword(1))}, {}, true},
        {"the switch off", {lastSession(dword(0))}, {}, false},
        {"the switch as text", {lastSession(sz(L"1"))}, {}, true},
        {"a policy page without Control Panel\\HomePage counts for nothing",
         {policy(Hive::CurrentUser, L"\\Main", L"Start Page", sz(L"http://p/"))}, {}},
        {"a policy page", {policy(Hive::CurrentUser, L"\\Main", L"Start Page", sz(L"http://p/")),
                            policy(Hive::CurrentUser, L"\\Control Panel", L"HomePage", dword(1))},
         {}, false, {L"http://p/", {}, false}},
        {"the machine's policy before the user's",
         {policy(Hive::CurrentUser, L"\\Main", L"Start Page", sz(L"http://user/")),
          policy(Hive::CurrentUser, L"\\Control Panel", L"HomePage", dword(1)),
          policy(Hive::LocalMachine, L"\\Main", L"Start Page", sz(L"http://machine/")),
          policy(Hive::LocalMachine, L"\\Control Panel", L"HomePage", dword(1)),
          policy(Hive::LocalMachine, L"\\ContinuousBrowsing", L"Enabled", dword(0)),
          policy(Hive::CurrentUser, L"\\ContinuousBrowsing", L"Enabled", dword(1))},
         {}, false, {L"http://machine/", {}, false}},
        {"policy tabs by number, one value each", {put(Hive::LocalMachine, kPolicyTabs, L"10", sz(L"http://j/")),
                                                   put(Hive::LocalMachine, kPolicyTabs, L"2", sz(L"http://b/")),
                                                   put(Hive::LocalMachine, kPolicyTabs, L"1", sz(L"http://a/"))},
         {}, false, {{}, std::vector<std::wstring>{L"http://a/", L"http://b/", L"http://j/"}, false}},
        {"the switch forced on", {policy(Hive::CurrentUser, L"\\ContinuousBrowsing", L"Enabled", dword(1))},
         {}, false, {{}, {}, true}},
    };
    for (const auto& row : rows) {
        FakeRegistry r;
        for (const auto& set : row.registry) set(r);
        EXPECT_EQ(store::readHomeTabs(r), row.tabs) << row.what;
        EXPECT_EQ(store::readLastSession(r), row.lastSession) << row.what;
        EXPECT_TRUE(store::readPolicies(r) == row.policies) << row.what;
        const int writes = r.writes;
        store::readPolicies(r);
        EXPECT_EQ(r.writes, writes) << row.what << ": a policy is only ever read";
    }
}

TEST(OpenAtStart, TabsAndTheSwitchGoBackAsTheyWere) {
    FakeRegistry r;
    for (const auto& list : std::vector<std::vector<std::wstring>>{{L"http://a/", L"", L"http://\u00e9/"}, {}}) {
        ASSERT_TRUE(store::writeHomeTabs(r, list));
        EXPECT_EQ(store::readHomeTabs(r), list);
    }
    EXPECT_EQ(r.find(Hive::CurrentUser, store::kMainKey, store::kHomeTabsValue), nullptr) << "no tabs: no value";
    for (const bool on : {true, false}) {
        ASSERT_TRUE(store::writeLastSession(r, on));
        EXPECT_EQ(store::readLastSession(r), on);
        EXPECT_EQ(r.find(Hive::CurrentUser, store::kLastSessionKey, store::kLastSessionValue)->type, platform::RegDword);
    }
}
