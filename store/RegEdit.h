#pragma once
#include <string>
#include <string_view>

#include "platform/Registry.h"

// The watched value: hive, key and value name in one path.
inline constexpr std::wstring_view StartPageKey =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page";

// The only way the program touches the watched value. Every failure is
// swallowed: an unreadable value is the empty text, a failed write does nothing.
class RegEdit {
public:
    explicit RegEdit(platform::Registry& registry) : registry_(registry) {}

    std::wstring ReadStartPage(std::wstring_view path) const;
    void WriteStartPage(std::wstring_view path, const std::wstring& value) const;
    // The next read goes through the path, not a key kept open from the
    // last: what was renamed away, or made anew in its place, is seen.
    void ForgetOpenKeys() const { registry_.forgetOpenKeys(); }

private:
    platform::Registry& registry_;
};
