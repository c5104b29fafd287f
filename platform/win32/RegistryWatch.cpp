#include "platform/win32/RegistryWatch.h"

namespace platform {

RegistryWatch::RegistryWatch(HKEY root, const std::wstring& key) : root_(root) {
    watches_.push_back({key, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, {}, {}, false});
    // Above it, only names matter: a key below deleted, created or renamed.
    for (std::wstring path = key; !path.empty();) {
        const size_t slash = path.rfind(L'\\');
        path = slash == std::wstring::npos ? std::wstring{} : path.substr(0, slash);
        watches_.push_back({path, REG_NOTIFY_CHANGE_NAME, {}, {}, false});
    }
    waitables();
}

bool RegistryWatch::arm(Watch& w) {
    w.armed = false;
    // Auto-reset: the wait that sees a signal consumes it, so arming again
    // takes one call.
    if (!w.event) w.event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!w.event) return false;
    // An empty path opens the root itself.
    if (!w.key && RegOpenKeyExW(root_, w.path.c_str(), 0, KEY_NOTIFY, w.key.put()) != ERROR_SUCCESS) {
        w.key.reset();
        return false;
    }
    if (RegNotifyChangeKeyValue(w.key.get(), FALSE, w.filter, w.event.get(), TRUE) != ERROR_SUCCESS) {
        // The key is gone from under its handle: open it afresh next time.
        w.key.reset();
        return false;
    }
    w.armed = true;
    return true;
}

std::span<const HANDLE> RegistryWatch::waitables() {
    waiting_.clear();
    waitingFor_.clear();
    for (size_t i = 0; i < watches_.size(); ++i) {
        Watch& w = watches_[i];
        if (w.armed || arm(w)) {
            waiting_.push_back(w.event.get());
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
    // unreported.
    for (size_t i = fired; i-- > 0;) {
        watches_[i].key.reset();
        arm(watches_[i]);
    }
    return true;
}

void RegistryWatch::reset() {
    for (Watch& w : watches_) {
        w.armed = false;
        w.key.reset();
        w.event.reset();
    }
    waiting_.clear();
    waitingFor_.clear();
}

} // namespace platform
