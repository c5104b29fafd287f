#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Shortcuts.h"
#include "platform/win32/unique_handles.h"

namespace platform {

// The shortcut folders' changes, heard through ReadDirectoryChangesW as
// overlapped reads on the program's own thread: each read signals an event
// that the event loop waits on beside the registry's, so nothing polls and no
// thread of its own runs. Each read reports once, and is issued again as soon
// as it has.
class FolderWatch {
public:
    explicit FolderWatch(std::vector<ShortcutFolder> folders);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Issues the reads that are not pending, then the events to wait on.
    std::span<const HANDLE> waitables();
    // The event at this index of the last waitables() fired: what changed.
    std::optional<FolderChange> signalled(size_t index);
    // Waiting failed: start over. Changes made meanwhile are reported as
    // whole once the folders are watched again.
    void reset();

    const std::vector<ShortcutFolder>& folders() const { return folders_; }
    bool armed(size_t folder) const;

private:
    struct Watch;
    bool arm(size_t folder);
    void disarm(Watch& w);

    std::vector<ShortcutFolder> folders_;
    // Pinned in memory: the system writes into each one's buffer and
    // OVERLAPPED while its read is pending.
    std::vector<std::unique_ptr<Watch>> watches_;
    std::vector<HANDLE> waiting_;
    std::vector<size_t> waitingFor_;
};

} // namespace platform
