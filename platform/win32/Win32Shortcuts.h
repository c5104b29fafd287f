#pragma once
#include "platform/Shortcuts.h"

namespace platform {

// Shortcuts through the shell's own interface (IShellLinkW and its
// IPersistFile), which reads every form of .lnk that Windows writes. COM must
// be started on the calling thread (ComApartment).
class Win32Shortcuts final : public Shortcuts {
public:
    std::vector<ShortcutFolder> folders() override;
    std::vector<std::wstring> list(const ShortcutFolder& folder) override;
    std::optional<LinkData> read(const std::wstring& path) override;
    bool write(const std::wstring& path, const LinkData& link) override;
    bool remove(const std::wstring& path) override;
};

// The folders of the user's and all users' shortcuts that exist now.
std::vector<ShortcutFolder> shortcutFolders();

} // namespace platform
