#include "store/OpenAtStart.h"

#include <algorithm>

#include "store/RegistryText.h"

namespace store {
namespace {

using platform::Hive;

std::wstring asText(platform::Registry& registry, const platform::RegistryData& data) {
    return markedText(data, [&](const std::wstring& s) { return registry.expandEnvironment(s); });
}

// Every string of a REG_MULTI_SZ, an empty one inside the list too: a page
// hidden after it must not go unseen. The list's closing empty string is no tab.
std::vector<std::wstring> multiString(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::wstring> out(1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == L'\0') out.emplace_back(); else out.back().push_back(unit);
    }
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

// A number or a string of digits that is not zero.
bool isOn(platform::Registry& registry, Hive hive, const std::wstring& key, const std::wstring& name) {
    const auto data = registry.read(hive, key, name);
    if (!data) return false;
    const std::wstring text = registryDataToText(*data, [](const std::wstring& s) { return s; });
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }) &&
           text.find_first_not_of(L'0') != std::wstring::npos;
}

// The policy list names one URL a value, "1", "2" and so on: in that order.
bool byNumber(const std::wstring& a, const std::wstring& b) {
    const auto digits = [](const std::wstring& s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
    };
    if (digits(a) && digits(b) && a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

} // namespace

std::vector<std::wstring> readHomeTabs(platform::Registry& registry) {
    const auto data = registry.read(Hive::CurrentUser, kMainKey, kHomeTabsValue);
    if (!data) return {};
    if (data->type == platform::RegMultiSz) return multiString(data->bytes);
    return {asText(registry, *data)};
}

bool writeHomeTabs(platform::Registry& registry, const std::vector<std::wstring>& tabs) {
    if (tabs.empty()) return registry.remove(Hive::CurrentUser, kMainKey, kHomeTabsValue);
    platform::RegistryData data{platform::RegMultiSz, {}};
    const auto put = [&](wchar_t c) {
        data.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        data.bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    };
    for (const std::wstring& tab : tabs) {
        for (wchar_t c : tab) put(c);
        put(L'\0');
    }
    put(L'\0');
    return registry.write(Hive::CurrentUser, kMainKey, kHomeTabsValue, data);
}

bool readLastSession(platform::Registry& registry) {
    return isOn(registry, Hive::CurrentUser, kLastSessionKey, kLastSessionValue);
}

bool writeLastSession(platform::Registry& registry, bool on) {
    return registry.write(Hive::CurrentUser, kLastSessionKey, kLastSessionValue,
                          {platform::RegDword, {static_cast<std::uint8_t>(on ? 1 : 0), 0, 0, 0}});
}

Policies readPolicies(platform::Registry& registry) {
    const std::wstring root = kPoliciesKey;
    Policies p;
    bool switchDecided = false;
    for (const Hive hive : {Hive::LocalMachine, Hive::CurrentUser}) {
        if (!p.startPage && isOn(registry, hive, root + L"\\Control Panel", L"HomePage")) {
            if (const auto data = registry.read(hive, root + L"\\Main", L"Start Page")) p.startPage = asText(registry, *data);
        }
        if (!p.homeTabs) {
            const std::wstring list = root + L"\\Main\\SecondaryStartPages";
            auto names = registry.valueNames(hive, list);
            std::sort(names.begin(), names.end(), byNumber);
            std::vector<std::wstring> tabs;
            for (const std::wstring& name : names) {
                if (const auto data = registry.read(hive, list, name)) tabs.push_back(asText(registry, *data));
            }
            if (!tabs.empty()) p.homeTabs = std::move(tabs);
        }
        // The first hive that holds the switch decides it, off included.
        if (!switchDecided && registry.read(hive, root + L"\\ContinuousBrowsing", L"Enabled")) {
            switchDecided = true;
            p.lastSession = isOn(registry, hive, root + L"\\ContinuousBrowsing", L"Enabled");
        }
    }
    return p;
}

} // namespace store
