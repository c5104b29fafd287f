#include "store/Shortcuts.h"

#include <algorithm>
#include <cwctype>

namespace store {
namespace {

std::wstring lower(std::wstring_view s) {
    std::wstring out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](wchar_t c) { return std::towlower(c); });
    return out;
}

// The target's file name: after the last separator, without the quotes a
// target written by hand may keep.
std::wstring_view fileName(std::wstring_view target) {
    while (!target.empty() && (target.back() == L'"' || target.back() == L' ')) target.remove_suffix(1);
    const size_t slash = target.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? target : target.substr(slash + 1);
}

bool blank(std::wstring_view s) {
    return std::all_of(s.begin(), s.end(), [](wchar_t c) { return c == L' ' || c == L'\t'; });
}

bool isLink(std::wstring_view path) { return path.size() > 4 && lower(path.substr(path.size() - 4)) == L".lnk"; }

// The name the user knows the shortcut by: its path below the folder,
// without the extension.
std::wstring nameIn(const std::wstring& folder, const std::wstring& path) {
    std::wstring name = path;
    if (pathKey(path).rfind(pathKey(folder), 0) == 0) {
        name = path.substr(folder.size());
        while (!name.empty() && (name.front() == L'\\' || name.front() == L'/')) name.erase(0, 1);
    }
    if (isLink(name)) name.resize(name.size() - 4);
    return name;
}

bool belongsTo(const std::wstring& key, const platform::ShortcutFolder& folder) {
    std::wstring prefix = pathKey(folder.path);
    if (prefix.empty() || (prefix.back() != L'\\' && prefix.back() != L'/')) prefix += L'\\';
    if (key.rfind(prefix, 0) != 0) return false;
    return folder.recursive || key.find_first_of(L"\\/", prefix.size()) == std::wstring::npos;
}

} // namespace

Browser browserStartedBy(std::wstring_view target) {
    const std::wstring name = lower(fileName(target));
    if (name == L"iexplore.exe") return Browser::InternetExplorer;
    if (name == L"msedge.exe") return Browser::Edge;
    return Browser::None;
}

std::wstring pathKey(std::wstring_view path) { return lower(path); }

ShortcutDiff diff(const ShortcutSnapshot& reference, const ShortcutSnapshot& now) {
    ShortcutDiff d{{}, now};
    for (const auto& [key, shortcut] : now) {
        const auto was = reference.find(key);
        const bool same = was != reference.end() && was->second.link == shortcut.link;
        if (same || browserStartedBy(shortcut.link.target) == Browser::None || blank(shortcut.link.arguments)) continue;
        ShortcutChange change{shortcut, std::nullopt};
        if (was != reference.end()) {
            change.before = was->second.link;
            d.settled[key] = was->second;
        } else {
            d.settled.erase(key);
        }
        d.changes.push_back(std::move(change));
    }
    return d;
}

std::wstring serialize(const ShortcutSnapshot& snapshot) {
    std::wstring out;
    for (const auto& [key, s] : snapshot) {
        for (const std::wstring& field : {std::to_wstring(static_cast<int>(s.place)), s.path, s.name, s.link.target,
                                          s.link.arguments}) {
            out += field;
            out += L'\0';
        }
    }
    return out;
}

ShortcutSnapshot parse(const std::wstring& text) {
    ShortcutSnapshot out;
    std::wstring field[5];
    size_t n = 0;
    for (size_t at = 0, end; (end = text.find(L'\0', at)) != std::wstring::npos; at = end + 1) {
        field[n++] = text.substr(at, end - at);
        if (n < 5) continue;
        n = 0;
        const int place = field[0].size() == 1 ? field[0][0] - L'0' : -1;
        if (place < 0 || place > static_cast<int>(platform::ShortcutPlace::SharedStartMenu)) continue;
        out[pathKey(field[1])] = Shortcut{field[1], static_cast<platform::ShortcutPlace>(place), field[2],
                                          {field[3], field[4]}};
    }
    return out;
}

void ShortcutStore::add(ShortcutSnapshot& snapshot, const platform::ShortcutFolder& folder,
                        const std::wstring& path) const {
    if (!isLink(path)) return;
    if (auto link = shell_.read(path)) {
        snapshot[pathKey(path)] = Shortcut{path, folder.place, nameIn(folder.path, path), std::move(*link)};
    }
}

ShortcutSnapshot ShortcutStore::read(const std::vector<platform::ShortcutFolder>& folders) const {
    ShortcutSnapshot snapshot;
    for (const platform::ShortcutFolder& f : folders) {
        for (const std::wstring& path : shell_.list(f)) add(snapshot, f, path);
    }
    return snapshot;
}

void ShortcutStore::reread(ShortcutSnapshot& snapshot, const platform::ShortcutFolder& folder) const {
    std::erase_if(snapshot, [&](const auto& entry) { return belongsTo(entry.first, folder); });
    for (const std::wstring& path : shell_.list(folder)) add(snapshot, folder, path);
}

void ShortcutStore::reread(ShortcutSnapshot& snapshot, const platform::ShortcutFolder& folder,
                           const std::vector<std::wstring>& files) const {
    for (const std::wstring& path : files) {
        snapshot.erase(pathKey(path));
        add(snapshot, folder, path);
    }
}

bool ShortcutStore::putBack(const ShortcutChange& change) const {
    if (change.told()) return false; // not the user's to write
    const std::wstring& path = change.now.path;
    if (!change.before) return shell_.remove(path) && !shell_.read(path);
    return shell_.write(path, *change.before) && shell_.read(path) == change.before;
}

} // namespace store
