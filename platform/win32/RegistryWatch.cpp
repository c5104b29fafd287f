#include "platform/win32/RegistryWatch.h"

namespace platform {
namespace {

std::wstring parentOf(const std::wstring& key) {
    const size_t slash = key.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring{} : key.substr(0, slash);
}

} // namespace

RegistryWatch::RegistryWatch(HKEY root, std::wstring key)
    : root_(root),
      key_{key, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_CHANGE_NAME, {}, {}, false},
      parent_{parentOf(key), REG_NOTIFY_CHANGE_NAME, {}, {}, false} {
    waitables();
}

bool RegistryWatch::arm(Watch& w) {
    w.armed = false;
    // Auto-reset: the wait that sees a signal consumes it, so arming again
    // takes one call.
    if (!w.event) w.event.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!w.event) return false;
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
    count_ = 0;
    for (Watch* w : {&key_, &parent_}) {
        if (w->armed || arm(*w)) {
            waiting_[count_] = w->event.get();
            waitingFor_[count_++] = w;
        }
    }
    return {waiting_.data(), count_};
}

void RegistryWatch::signalled(size_t index) {
    if (index >= count_) return;
    Watch& w = *waitingFor_[index];
    if (&w == &parent_) {
        // The key may have been deleted and created again: a handle to the
        // old one would never report another change.
        key_.key.reset();
        arm(parent_);
    }
    // Before the value is read, so that no later change goes unreported.
    arm(key_);
}

void RegistryWatch::reset() {
    for (Watch* w : {&key_, &parent_}) {
        w->armed = false;
        w->key.reset();
        w->event.reset();
    }
    count_ = 0;
}

} // namespace platform
