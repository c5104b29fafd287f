#include <gtest/gtest.h>

#include <string>

#include "platform/Win32Registry.h"
#include "store/RegEdit.h"
#include "tests/windows/WinTestSupport.h"

class RegistryStoreTest : public ::testing::Test {
protected:
    wintest::ScratchKey key{L"Software\\VarnokTests\\Store" + std::to_wstring(GetCurrentProcessId())};
    platform::Win32Registry registry;
    RegEdit store{registry};
    std::wstring path(const std::wstring& value) const { return L"HKEY_CURRENT_USER\\" + key.path() + L"\\" + value; }
};

TEST_F(RegistryStoreTest, ReadsEachTypeAsText) {
    const DWORD five = 5, big = 0xFFFFFFFF;
    const ULONGLONG q = 1ULL << 40;
    const unsigned char bin[] = {'h', 0, 'i', 0, 0, 0};
    const wchar_t multi[] = L"a\0b\0";
    key.setString(L"sz", L"http://a.example/");
    key.setRaw(L"dword", REG_DWORD, &five, sizeof five);
    key.setRaw(L"bigdword", REG_DWORD, &big, sizeof big);
    key.setRaw(L"qword", REG_QWORD, &q, sizeof q);
    key.setRaw(L"binary", REG_BINARY, bin, sizeof bin);
    key.setRaw(L"multi", REG_MULTI_SZ, multi, sizeof multi);
    key.setRaw(L"none", REG_NONE, bin, sizeof bin);
    key.setRaw(L"nul", REG_SZ, L"ab\0cd", 12);
    SetEnvironmentVariableW(L"VARNOK_TEST_SITE", L"a.example");
    key.setString(L"expand", L"http://%VARNOK_TEST_SITE%/", REG_EXPAND_SZ);

    const struct {
        const wchar_t* name;
        const wchar_t* text;
    } cases[] = {
        {L"sz", L"http://a.example/"}, {L"dword", L"5"},       {L"bigdword", L"4294967295"},
        {L"qword", L"1099511627776"},  {L"binary", L""},       {L"multi", L""},
        {L"none", L""},                {L"nul", L"ab"},        {L"expand", L"http://a.example/"},
        {L"missing", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store.ReadStartPage(path(c.name)), c.text) << std::string(c.name, c.name + wcslen(c.name));
    }
    EXPECT_EQ(store.ReadStartPage(L"HKCU\\" + key.path() + L"\\sz"), L"http://a.example/");
    EXPECT_EQ(store.ReadStartPage(L"HKEY_CURRENT_USER\\" + key.path() + L"\\Missing\\sz"), L"");
}

TEST_F(RegistryStoreTest, WritesStringsCreatingKeysOnTheWay) {
    const std::wstring deep = L"HKEY_CURRENT_USER\\" + key.path() + L"\\a\\b\\Start Page";
    store.WriteStartPage(deep, L"http://new.example/");
    EXPECT_EQ(store.ReadStartPage(deep), L"http://new.example/");

    store.WriteStartPage(path(L"empty"), L"");
    const auto empty = key.get(L"empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(empty->second, L"");

    // A trailing backslash names the key's default value.
    store.WriteStartPage(L"HKCU\\" + key.path() + L"\\", L"default");
    EXPECT_EQ(key.get(L"")->second, L"default");
}

TEST_F(RegistryStoreTest, KeepsLongAndNonAsciiTextWhole) {
    std::wstring big(1 << 20, L'x');
    for (size_t i = 0; i < big.size(); i += 4099) big[i] = static_cast<wchar_t>(L'a' + i % 26);
    store.WriteStartPage(path(L"big"), big);
    EXPECT_EQ(store.ReadStartPage(path(L"big")), big);

    const std::wstring intl = L"http://\u00e9t\u00e9.example/\u4e2d\u6587?q=\u0436 \U0001F600";
    store.WriteStartPage(path(L"intl"), intl);
    EXPECT_EQ(store.ReadStartPage(path(L"intl")), intl);
}

TEST_F(RegistryStoreTest, FailsSoftOnPathsItCannotUse) {
    EXPECT_EQ(store.ReadStartPage(L"HKEY_NOPE\\x\\y"), L"");
    store.WriteStartPage(L"HKEY_NOPE\\x\\y", L"z");
    store.WriteStartPage(L"no hive at all", L"z");
    SUCCEED();
}
