#pragma once
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "platform/win32/unique_handles.h"

namespace platform {

// The registry's change notifications on the watched key and on every key
// above it, up to the hive's root. A key's parent alone reports the key being
// deleted, created or renamed, and a handle follows its key wherever it is
// renamed to: without the ancestors, renaming the key (or one above it) away
// and making a new one in its place would go unreported. Each arming reports
// one change, so a watch is armed again as soon as it fires. A key that is
// missing waits, unopened, until a key above it reports a name made (the
// keys are armed from the root down, so none is made unseen between the two);
// one that cannot be armed otherwise (no event to signal) is tried again
// whenever the program wakes. A key that often does not exist (a policy's)
// thus costs nothing while it is missing.
// Where the watched key is a registry link, the link itself is watched too:
// the watch on the key follows the link's target, and pointing the link
// elsewhere changes no name and no value there.
class RegistryWatch {
public:
    // subtree: changes to the keys below the key count too (a policy's keys).
    RegistryWatch(HKEY root, const std::wstring& key, bool subtree = false);

    // Arms whatever is disarmed, then the events to wait on: one for each
    // armed watch, never a null handle.
    std::span<const HANDLE> waitables();
    // The event at this index of the last waitables() fired: arm it again.
    // True when a key on the path may have been deleted, renamed or made
    // anew: a handle kept open on the path may now hold another key than the
    // one the path names.
    bool signalled(size_t index);
    // Waiting on the events failed: start over with new events and keys.
    void reset();

    bool keyArmed() const { return watches_[0].armed; }
    bool linkArmed() const { return watches_[kLink].armed; }
    bool parentArmed() const { return watches_.size() > kLink + 1 && watches_[kLink + 1].armed; }

private:
    struct Watch {
        std::wstring path;
        DWORD filter;
        bool link = false; // the key at the path itself, not its target
        unique_hkey key{}; // empty for the root, the predefined handle
        unique_handle event{};
        bool armed = false;
        // A key that is missing, or a link watch on a key that is no link:
        // looked at again only when the keys above report a change, not on
        // every wake-up.
        bool dormant = false;
        bool subtree = false;
    };
    static constexpr size_t kLink = 1;
    bool arm(Watch& w);
    bool open(Watch& w);

    HKEY root_;
    // The key itself first, then the link watch on it, then each key above
    // it; the last is the root.
    std::vector<Watch> watches_;
    std::vector<HANDLE> waiting_;
    std::vector<size_t> waitingFor_;
};

} // namespace platform
