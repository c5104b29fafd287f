#include "watch/RegistrySources.h"

#include <algorithm>
#include <map>
#include <string_view>

#include "store/RegistryText.h"

namespace watch {
namespace {

// The seed's voice: the page in apostrophes, shown by the display rules.
std::wstring quoted(const std::wstring& value, const Display& d) {
    const auto [mark, text] = store::splitPage(value);
    return L"'" + mark + shownInQuestion(text, d) + L"'";
}

// A list of addresses, as many as the display has room for, then how many more.
std::wstring quotedList(const std::vector<std::wstring>& values, const Display& d) {
    const size_t most = std::max<size_t>(d.longest / 64, 1);
    std::wstring out;
    for (size_t i = 0; i < values.size() && i < most; ++i) out += (i ? L", " : L"") + quoted(values[i], d);
    if (values.size() > most) out += L" and " + std::to_wstring(values.size() - most) + L" more";
    return out;
}

// What `from` holds and `to` does not, each copy counted, in the order of
// `from`; counted through a map, so that a list of a hundred thousand tabs
// costs no more than sorting it.
std::vector<std::wstring> without(const std::vector<std::wstring>& from, const std::vector<std::wstring>& to) {
    std::map<std::wstring_view, size_t> left;
    for (const std::wstring& t : to) ++left[t];
    std::vector<std::wstring> out;
    for (const std::wstring& f : from) {
        if (const auto it = left.find(f); it != left.end() && it->second > 0) {
            --it->second;
        } else {
            out.push_back(f);
        }
    }
    return out;
}

std::wstring tabsCount(size_t n) { return L"+" + std::to_wstring(n) + (n == 1 ? L" tab" : L" tabs"); }

constexpr wchar_t kPage = L'P', kTab = L'T', kLastSession = L'L';

} // namespace

std::wstring StartPageSource::question(const std::wstring&, const std::wstring& value, const Display& d) const {
    return L"HomePage has been changed to " + quoted(value, d) + L"! Do you wish to keep this setting?";
}

std::wstring joinTabs(const std::vector<std::wstring>& tabs) {
    std::wstring out;
    for (size_t i = 0; i < tabs.size(); ++i) out += (i ? std::wstring(1, L'\0') : std::wstring{}) + tabs[i];
    return out;
}

std::vector<std::wstring> splitTabs(const std::wstring& value) {
    std::vector<std::wstring> tabs;
    if (value.empty()) return tabs;
    for (size_t start = 0;;) {
        const size_t end = value.find(L'\0', start);
        tabs.push_back(value.substr(start, end - start));
        if (end == std::wstring::npos) return tabs;
        start = end + 1;
    }
}

std::wstring HomeTabsSource::read() { return joinTabs(store::readHomeTabs(registry_)); }
bool HomeTabsSource::write(const std::wstring& value) { return store::writeHomeTabs(registry_, splitTabs(value)); }

std::wstring HomeTabsSource::question(const std::wstring& reference, const std::wstring& value, const Display& d) const {
    const auto before = splitTabs(reference), now = splitTabs(value);
    std::wstring text = L"The HomePage tabs have been changed to " + (now.empty() ? L"none" : quotedList(now, d)) + L"!";
    if (const auto added = without(now, before); !added.empty()) text += L" Added: " + quotedList(added, d) + L".";
    if (const auto removed = without(before, now); !removed.empty()) text += L" Removed: " + quotedList(removed, d) + L".";
    return text + L" Do you wish to keep this setting?";
}

// Off where it is off already writes nothing: a key that was never there
// is not made for it.
bool LastSessionSource::write(const std::wstring& value) {
    const bool on = !value.empty();
    return (!on && !store::readLastSession(registry_)) || store::writeLastSession(registry_, on);
}

std::wstring LastSessionSource::question(const std::wstring&, const std::wstring&, const Display&) const {
    return L"Internet Explorer has been set to open the last session instead of the HomePage! Do you wish to keep this "
           L"setting?";
}

std::wstring PolicySource::serialize(const store::Policies& p) {
    std::vector<std::wstring> items;
    if (p.startPage) items.push_back(kPage + *p.startPage);
    if (p.homeTabs) {
        for (const std::wstring& tab : *p.homeTabs) items.push_back(kTab + tab);
    }
    if (p.lastSession) items.emplace_back(1, kLastSession);
    return joinTabs(items);
}

store::Policies PolicySource::parse(const std::wstring& value) {
    store::Policies p;
    for (const std::wstring& item : splitTabs(value)) {
        if (item.empty()) continue;
        const std::wstring rest = item.substr(1);
        if (item[0] == kPage) p.startPage = rest;
        if (item[0] == kTab) {
            if (!p.homeTabs) p.homeTabs.emplace();
            p.homeTabs->push_back(rest);
        }
        if (item[0] == kLastSession) p.lastSession = true;
    }
    return p;
}

std::wstring PolicySource::question(const std::wstring&, const std::wstring& value, const Display& d) const {
    const store::Policies p = parse(value);
    std::wstring text;
    if (p.startPage) text += L"HomePage has been set to " + quoted(*p.startPage, d) + L" by a policy! ";
    if (p.homeTabs) text += L"The HomePage tabs have been set to " + quotedList(*p.homeTabs, d) + L" by a policy! ";
    if (p.lastSession)
        text += L"Internet Explorer has been set by a policy to open the last session instead of the HomePage! ";
    return text + L"Varnok cannot undo a policy: only an administrator can.";
}

std::wstring openingCaption(const std::wstring& page, const std::wstring& tabs, const std::wstring& policies) {
    const store::Policies forced = PolicySource::parse(policies);
    std::wstring caption = forced.startPage ? L"Set by a policy: " + store::shownPage(*forced.startPage)
                                            : store::shownPage(page);
    if (forced.homeTabs) {
        caption += L" (" + tabsCount(forced.homeTabs->size()) + L" set by a policy)";
    } else if (const size_t n = splitTabs(tabs).size()) {
        caption += L" (" + tabsCount(n) + L")";
    }
    if (forced.lastSession) caption = L"Set by a policy: the last session, not " + caption;
    return caption;
}

} // namespace watch
