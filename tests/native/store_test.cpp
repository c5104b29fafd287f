#include <gtest/gtest.h>

#include "store/RegEdit.h"
#include "store/RegistryPath.h"
#include "store/RegistryText.h"
#include "tests/fakes/FakeRegistry.h"

using platform::Hive;
using platform::RegistryData;

namespace {

RegistryData bytes(std::uint32_t type, std::vector<std::uint8_t> b) { return {type, std::move(b)}; }

std::wstring noExpand(const std::wstring& s) { return s; }

} // namespace

TEST(RegistryText, ConvertsEachTypeAsTheScriptingHostDoes) {
    struct Case {
        const char* what;
        RegistryData data;
        std::wstring text;
    } cases[] = {
        {"string", FakeRegistry::stringData(L"http://a.example/"), L"http://a.example/"},
        {"empty string", FakeRegistry::stringData(L""), L""},
        {"string cut at embedded NUL", FakeRegistry::stringData(std::wstring(L"ab\0cd", 5)), L"ab"},
        {"string without terminator", bytes(platform::RegSz, {'h', 0, 'i', 0}), L"hi"},
        {"odd trailing byte dropped", bytes(platform::RegSz, {'h', 0, 'i'}), L"h"},
        {"no data at all", bytes(platform::RegSz, {}), L""},
        {"non-ASCII", FakeRegistry::stringData(L"http://\u00e9t\u00e9.example/\u4e2d"), L"http://\u00e9t\u00e9.example/\u4e2d"},
        {"dword five", bytes(platform::RegDword, {5, 0, 0, 0}), L"5"},
        {"dword is unsigned", bytes(platform::RegDword, {0xFF, 0xFF, 0xFF, 0xFF}), L"4294967295"},
        {"short dword", bytes(platform::RegDword, {5, 0}), L""},
        {"qword", bytes(platform::RegQword, {0, 0, 0, 0, 1, 0, 0, 0}), L"4294967296"},
        {"qword max", bytes(platform::RegQword, std::vector<std::uint8_t>(8, 0xFF)), L"18446744073709551615"},
        {"binary", bytes(platform::RegBinary, {'h', 0, 'i', 0}), L""},
        {"multi-string", bytes(platform::RegMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}), L""},
        {"none", bytes(platform::RegNone, {'a', 0}), L""},
        {"big-endian dword", bytes(platform::RegDwordBigEndian, {0, 0, 0, 5}), L""},
        {"unknown type", bytes(0x12345, {'a', 0}), L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store::registryDataToText(c.data, noExpand), c.text) << c.what;
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
