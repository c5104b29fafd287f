#pragma once
#include <string>
#include <string_view>

#include "platform/Registry.h"

// The watched value: hive, key and value name in one path.
inline constexpr std::wstring_view StartPageKey =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main\\Start Page";

// The only way the program touches the watched value. No failure throws: an
// unreadable value is the empty text, a failed write changes nothing and says so.
class RegEdit {
public:
    explicit RegEdit(platform::Registry& registry) : registry_(registry) {}

    // A page stored in another type than a string's reads marked with its
    // type (store::pageOf), and is written back as the text it holds.
    std::wstring ReadStartPage(std::wstring_view path) const;
    bool WriteStartPage(std::wstring_view path, const std::wstring& value) const;
    // Read through the path now, not a key kept open from the last read,
    // which may have been renamed away: what a write to the path left there.
    std::wstring ReadStartPageAfresh(std::wstring_view path) const;
    // The next read goes through the path, not a key kept open from the
    // last: what was renamed away, or made anew in its place, is seen.
    void ForgetOpenKeys() const { registry_.forgetOpenKeys(); }

private:
    platform::Registry& registry_;
};
