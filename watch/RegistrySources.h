#pragma once
// The sources that live in the registry: `Start Page`, the home tabs, the
// last-session switch and the policies that force any of them.
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "store/OpenAtStart.h"
#include "store/RegEdit.h"
#include "watch/Source.h"

namespace watch {

// The seed's value, its question word for word.
class StartPageSource final : public Source {
public:
    explicit StartPageSource(const RegEdit& store) : store_(store) {}
    Role role() const override { return Role::StartPage; }
    std::wstring read() override { return store_.ReadStartPage(StartPageKey); }
    std::wstring readAfresh() override { return store_.ReadStartPageAfresh(StartPageKey); }
    bool write(const std::wstring& value) override { return store_.WriteStartPage(StartPageKey, value); }
    std::wstring question(const std::wstring& reference, const std::wstring& value, const Display& d) const override;

private:
    const RegEdit& store_;
};

// `Secondary Start Pages`: the tabs after the first, one text each, joined
// by NULs, which no tab holds.
class HomeTabsSource final : public Source {
public:
    explicit HomeTabsSource(platform::Registry& registry) : registry_(registry) {}
    Role role() const override { return Role::HomeTabs; }
    std::wstring read() override;
    bool write(const std::wstring& value) override;
    std::wstring question(const std::wstring& reference, const std::wstring& value, const Display& d) const override;

private:
    platform::Registry& registry_;
};
std::wstring joinTabs(const std::vector<std::wstring>& tabs);
std::vector<std::wstring> splitTabs(const std::wstring& value);

// The switch that opens the last session instead of the home page: "1" on,
// empty off. Turning it off opens the home page again and is not asked about.
class LastSessionSource final : public Source {
public:
    explicit LastSessionSource(platform::Registry& registry) : registry_(registry) {}
    std::wstring read() override { return store::readLastSession(registry_) ? L"1" : L""; }
    bool write(const std::wstring& value) override;
    Treatment treatment(const std::wstring&, const std::wstring& value) const override {
        return value.empty() ? Treatment::Accept : Treatment::Ask;
    }
    std::wstring question(const std::wstring& reference, const std::wstring& value, const Display& d) const override;

private:
    platform::Registry& registry_;
};

// What the policies force, HKEY_LOCAL_MACHINE's and HKEY_CURRENT_USER's: read
// only. A policy that appears or changes is told once; one that goes needs
// no word.
class PolicySource final : public Source {
public:
    explicit PolicySource(platform::Registry& registry) : registry_(registry) {}
    Role role() const override { return Role::Policies; }
    bool tellsOnly() const override { return true; }
    std::wstring read() override { return serialize(store::readPolicies(registry_)); }
    bool write(const std::wstring&) override { return false; }
    Treatment treatment(const std::wstring&, const std::wstring& value) const override {
        return value.empty() ? Treatment::Accept : Treatment::Tell;
    }
    std::wstring question(const std::wstring& reference, const std::wstring& value, const Display& d) const override;

    static std::wstring serialize(const store::Policies& policies);
    static store::Policies parse(const std::wstring& value);

private:
    platform::Registry& registry_;
};

// The main window's line for the page that opens: the reference page and
// how many further tabs it holds, or, where a policy forces them, what it
// forces and that a policy does.
std::wstring openingCaption(const std::wstring& page, const std::wstring& tabs, const std::wstring& policies);

} // namespace watch
