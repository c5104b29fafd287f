#pragma once
// Shell shortcuts (.lnk files) as the store sees them: where they lie, what
// each one starts. Portable, so the store's reading is tested without Windows.
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Where the shortcuts that start a browser are kept.
enum class ShortcutPlace { Desktop, StartMenu, TaskBar, SharedDesktop, SharedStartMenu };

struct ShortcutFolder {
    ShortcutPlace place;
    std::wstring path;
    // The Start menu's programs lie in folders of their own.
    bool recursive = false;
};

// What a shortcut starts.
struct LinkData {
    std::wstring target;
    std::wstring arguments;
    bool operator==(const LinkData&) const = default;
};

// What changed in one watched folder.
struct FolderChange {
    size_t folder; // the index among the folders watched
    // The files named by the change, full paths; empty with `whole`.
    std::vector<std::wstring> files;
    // More than files changed (a folder renamed, the report lost, the watch
    // armed anew): read the whole folder again.
    bool whole = false;
};

class Shortcuts {
public:
    virtual ~Shortcuts() = default;
    // The folders that exist on this machine, for this user.
    virtual std::vector<ShortcutFolder> folders() = 0;
    // The shortcut files in a folder (full paths), and in the folders below
    // it where it is recursive, as far as reasonable bounds go.
    virtual std::vector<std::wstring> list(const ShortcutFolder& folder) = 0;
    // Nothing when the file is gone or is no shortcut.
    virtual std::optional<LinkData> read(const std::wstring& path) = 0;
    // Sets what the shortcut starts, keeping all else it holds.
    virtual bool write(const std::wstring& path, const LinkData& link) = 0;
    virtual bool remove(const std::wstring& path) = 0;
};

} // namespace platform
