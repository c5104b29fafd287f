#include "platform/Win32ChangeSignal.h"

namespace platform {
namespace {

std::wstring parentOf(const std::wstring& key) {
    const size_t slash = key.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring{} : key.substr(0, slash);
}

} // namespace

Win32ChangeSignal::Win32ChangeSignal(HKEY root, std::wstring key)
    : root_(root),
      key_{key, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, {}, {}, false},
      parent_{parentOf(key), REG_NOTIFY_CHANGE_NAME, {}, {}, false} {
    key_.event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    parent_.event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    arm(key_);
    arm(parent_);
}

void Win32ChangeSignal::arm(Watch& w) {
    w.armed = false;
    ResetEvent(w.event.get());
    if (!w.key && RegOpenKeyExW(root_, w.path.c_str(), 0, KEY_NOTIFY, w.key.put()) != ERROR_SUCCESS) {
        w.key.reset();
        return;
    }
    if (RegNotifyChangeKeyValue(w.key.get(), FALSE, w.filter, w.event.get(), TRUE) == ERROR_SUCCESS) {
        w.armed = true;
    } else {
        // The key is gone from under its handle: open it afresh next time.
        w.key.reset();
    }
}

bool Win32ChangeSignal::consumeChange() {
    // While the key cannot be watched every read is a real one; try to watch
    // it again each time, since it may have been created meanwhile.
    if (!key_.armed) {
        arm(key_);
        dirty_ = false;
        return true;
    }
    const bool changed = dirty_;
    dirty_ = false;
    return changed;
}

std::vector<HANDLE> Win32ChangeSignal::handles() const { return {key_.event.get(), parent_.event.get()}; }

void Win32ChangeSignal::acknowledge(size_t which) {
    dirty_ = true;
    if (which == 1) {
        // The key may have been deleted and created again: a handle to the old
        // one would never report another change, so open it afresh.
        key_.key.reset();
        arm(parent_);
    }
    arm(key_);
}

} // namespace platform
