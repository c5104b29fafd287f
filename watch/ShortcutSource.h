#pragma once
// The browser's shortcuts as one source of the watch: the value is every
// shortcut in its folders (store::serialize), so that the same rules of Nos,
// pacing and Disable hold for them as for the start page. A difference that
// gives no browser shortcut new arguments is taken in unasked.
#include <optional>
#include <string>
#include <vector>

#include "store/Shortcuts.h"
#include "watch/Source.h"

namespace watch {

class ShortcutSource final : public Source {
public:
    // The user's folders are asked about; all users' (which the user cannot
    // write) are only told about.
    ShortcutSource(const store::ShortcutStore& store, std::vector<platform::ShortcutFolder> folders, bool shared);

    // A folder reported a change: it is read again at the next read. Its
    // index is among this source's folders.
    void heard(const platform::FolderChange& change);

    std::wstring read() override;
    // The shortcuts the last write touched, read again from their files.
    std::wstring readAfresh() override;
    // Puts back what differs from the value in browser shortcuts only: the
    // arguments and target as they were, a new shortcut removed. Other
    // shortcuts are never touched.
    bool write(const std::wstring& value) override;
    // All users' shortcuts are told through their treatment, never written
    // (write() refuses), and are no policy: the page that opens is still the
    // user's, and the main window says so.
    bool tellsOnly() const override { return false; }
    Treatment treatment(const std::wstring& reference, const std::wstring& value) const override;
    std::wstring question(const std::wstring& reference, const std::wstring& value, const Display& d) const override;

private:
    store::ShortcutSnapshot& now();
    const platform::ShortcutFolder* folderOf(platform::ShortcutPlace place) const;

    const store::ShortcutStore& store_;
    std::vector<platform::ShortcutFolder> folders_;
    bool shared_;
    std::optional<store::ShortcutSnapshot> now_; // read whole at the first read
    std::vector<platform::FolderChange> heard_;
    std::vector<store::Shortcut> written_;
    // A told value is the reference by the time its message is made: what
    // it changed is kept from the treatment that decided to tell it.
    mutable std::wstring toldValue_;
    mutable std::vector<store::ShortcutChange> told_;
};

} // namespace watch
