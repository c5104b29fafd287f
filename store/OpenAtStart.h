#pragma once
// What Internet Explorer opens at its start besides `Start Page`: the home
// tabs after the first, the switch that opens the last session instead, and
// the policies that force any of them. Every failure reads as nothing set.
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace store {

inline constexpr wchar_t kMainKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr wchar_t kHomeTabsValue[] = L"Secondary Start Pages";
inline constexpr wchar_t kLastSessionKey[] = L"Software\\Microsoft\\Internet Explorer\\ContinuousBrowsing";
inline constexpr wchar_t kLastSessionValue[] = L"Enabled";
// Under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE; an ordinary user can
// write neither, so Varnok never tries.
inline constexpr wchar_t kPoliciesKey[] = L"Software\\Policies\\Microsoft\\Internet Explorer";

// The tabs after the first, in order; none when the value is missing. A value
// of another type than REG_MULTI_SZ is one tab holding its marked text.
std::vector<std::wstring> readHomeTabs(platform::Registry& registry);
// As REG_MULTI_SZ; no tabs removes the value.
bool writeHomeTabs(platform::Registry& registry, const std::vector<std::wstring>& tabs);

// Whether Internet Explorer opens the last session instead of the home page.
bool readLastSession(platform::Registry& registry);
bool writeLastSession(platform::Registry& registry, bool on);

// What a policy forces, the machine's before the user's.
struct Policies {
    std::optional<std::wstring> startPage; // only with Control Panel\HomePage = 1
    std::optional<std::vector<std::wstring>> homeTabs;
    bool lastSession = false; // forced on; forced off opens the home page, as Varnok wants

    bool any() const { return startPage || homeTabs || lastSession; }
    bool operator==(const Policies&) const = default;
};
Policies readPolicies(platform::Registry& registry);

} // namespace store
