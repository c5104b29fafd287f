#include "platform/win32/RegistryWatch.h"

namespace platform {

RegistryWatch::RegistryWatch(HKEY root, const std::wstring& key, bool subtree) : root_(root) {
    watches_.push_back({key, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME});
    watches_.back().subtree = subtree;
    watches_.push_back({key, REG_NOTIFY_CHANGE_LAST_SET, true});
    // Above it, only names matter: a key below deleted, created or renamed.
    for (std::wstring path = key; !path.empty();) {
        const size_t slash = path.rfind(L'\\');
        path = slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
        watches_.push_back({path, REG_NOTIFY_CHANGE_NAME});
    }
    waitables();
}

// The key at the watch's path; for a link watch, the link itself, and only
// while the key there is one. A key that is missing, or is no link, is left
// dormant: the keys above report when that changes.
bool RegistryWatch::open(Watch& w) {
    const LSTATUS status = RegOpenKeyExW(root_, w.path.c_str(), w.link ? REG_OPTION_OPEN_LINK : 0,
                                         w.link ? KEY_NOTIFY | KEY_QUERY_VALUE : KEY_NOTIFY, w.key.put());
    if (status != ERROR_SUCCESS) {
        w.key.reset();
        w.dormant = status == ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (!w.link) return true;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(w.key.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
        type == REG_LINK) {
        return true;
    }
    w.dormant = true;
    w.key.reset();
    return false;
}

bool RegistryWatch::arm(Watch& w) {
    w.armed = false;
    // Auto-reset: the wait that sees a signal consumes it, so arming again
    // takes one call.
    if (!w.event) w.event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!w.event) return false;
    // The root is watched through its predefined handle: opening it with an
    // empty path gives that very handle on Windows, which is not ours to close.
    if (!w.path.empty() && !w.key && !open(w)) return false;
    const HKEY key = w.path.empty() ? root_ : w.key.get();
    if (RegNotifyChangeKeyValue(key, w.subtree, w.filter, w.event.get(), TRUE) != ERROR_SUCCESS) {
        // The key is gone from under its handle: open it afresh next time.
        w.key.reset();
        return false;
    }
    w.armed = true;
    return true;
}

std::span<const HANDLE> RegistryWatch::waitables() {
    // From the root down: a key above is armed before the one below is
    // found missing, and reports it when it is made.
    for (size_t i = watches_.size(); i-- > 0;) {
        Watch& w = watches_[i];
        if (!w.armed && !w.dormant) arm(w);
    }
    waiting_.clear();
    waitingFor_.clear();
    for (size_t i = 0; i < watches_.size(); ++i) {
        if (watches_[i].armed) {
            waiting_.push_back(watches_[i].event.get());
            waitingFor_.push_back(i);
        }
    }
    return waiting_;
}

bool RegistryWatch::signalled(size_t index) {
    if (index >= waitingFor_.size()) return false;
    const size_t fired = waitingFor_[index];
    arm(watches_[fired]);
    if (fired == 0) return false;
    // Every key below the one that fired may have been deleted and made
    // again, or renamed away: a handle to the old one would never report
    // another change. Open them by their paths again, nearest to the root
    // first, before the value is read, so that no later change goes
    // unreported. Closing an armed key signals its event: each reopened key
    // gets a fresh event, so that signal goes with the old one and is never
    // taken for a change, nor a change's signal cleared with it.
    for (size_t i = fired; i-- > 0;) {
        Watch& w = watches_[i];
        w.key.reset();
        w.event.reset();
        w.dormant = false;
        arm(w);
    }
    return true;
}

void RegistryWatch::reset() {
    for (Watch& w : watches_) {
        w.armed = false;
        w.dormant = false;
        w.key.reset();
        w.event.reset();
    }
    waiting_.clear();
    waitingFor_.clear();
}

} // namespace platform
