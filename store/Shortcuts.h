#pragma once
// The browser's shortcuts as the watch compares them: what every shortcut in
// the watched folders starts, and what differs from the reference in a way
// the user must hear of.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Shortcuts.h"

namespace store {

enum class Browser { None, InternetExplorer, Edge };

// Judged by the target's file name, as Windows compares names: without case.
// Edge counts, since Windows opens an Internet Explorer shortcut's address
// there where Internet Explorer is retired.
Browser browserStartedBy(std::wstring_view target);

// The all-users folders: the user can read them, only an administrator
// can write them.
inline bool sharedPlace(platform::ShortcutPlace p) {
    return p == platform::ShortcutPlace::SharedDesktop || p == platform::ShortcutPlace::SharedStartMenu;
}

struct Shortcut {
    std::wstring path; // the .lnk file, as listed
    platform::ShortcutPlace place{};
    std::wstring name; // its path below its folder, without ".lnk": what the user sees
    platform::LinkData link;
    bool operator==(const Shortcut&) const = default;
};

// Every shortcut in the watched folders, by its path without case.
using ShortcutSnapshot = std::map<std::wstring, Shortcut>;
std::wstring pathKey(std::wstring_view path);

struct ShortcutChange {
    Shortcut now;
    // What it started in the reference; nothing for a new shortcut.
    std::optional<platform::LinkData> before;
    // In an all-users folder: told, never written.
    bool told() const { return sharedPlace(now.place); }
    bool operator==(const ShortcutChange&) const = default;
};

struct ShortcutDiff {
    // Shortcuts that start a browser with arguments the reference did not
    // give them: a new one, one with other arguments or another target, or
    // one that started something else before.
    std::vector<ShortcutChange> changes;
    // The reference moved on by every other difference, which needs no
    // word: shortcuts removed, arguments taken away, shortcuts that start no
    // browser. The changes above keep their reference entries until answered.
    ShortcutSnapshot settled;
};

ShortcutDiff diff(const ShortcutSnapshot& reference, const ShortcutSnapshot& now);

// A snapshot as one text, compared exactly: each shortcut's place, path,
// name, target and arguments, each ended by a NUL, which none of them can
// hold (the shell hands each out as a NUL-ended string).
std::wstring serialize(const ShortcutSnapshot& snapshot);
ShortcutSnapshot parse(const std::wstring& text);

// The shortcuts read through the shell, and put back.
class ShortcutStore {
public:
    explicit ShortcutStore(platform::Shortcuts& shell) : shell_(shell) {}

    // The folders to watch, found anew.
    std::vector<platform::ShortcutFolder> folders() const { return shell_.folders(); }
    // Every shortcut in the folders.
    ShortcutSnapshot read(const std::vector<platform::ShortcutFolder>& folders) const;
    // One folder that reported a change, read again in place of what the
    // snapshot held for it.
    void reread(ShortcutSnapshot& snapshot, const platform::ShortcutFolder& folder) const;
    // Only these files of the folder, which it named as changed.
    void reread(ShortcutSnapshot& snapshot, const platform::ShortcutFolder& folder,
                const std::vector<std::wstring>& files) const;
    // No: the arguments and target as they were, or a new shortcut removed.
    // True when the shortcut reads back as the reference has it.
    bool putBack(const ShortcutChange& change) const;

private:
    void add(ShortcutSnapshot& snapshot, const platform::ShortcutFolder& folder, const std::wstring& path) const;

    platform::Shortcuts& shell_;
};

} // namespace store
