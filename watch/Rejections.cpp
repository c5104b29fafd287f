#include "watch/Rejections.h"

#include <algorithm>

namespace watch {

void Rejections::dropExpired(std::chrono::milliseconds now) {
    while (!entries_.empty() && entries_.front().until <= now) {
        characters_ -= entries_.front().value.size();
        entries_.pop_front();
    }
}

void Rejections::remember(const std::wstring& value, std::chrono::milliseconds now) {
    forget(value);
    dropExpired(now);
    entries_.push_back({value, now + kHeld});
    characters_ += value.size();
    while (entries_.size() > 1 && (entries_.size() > kMostValues || characters_ > kMostCharacters)) {
        characters_ -= entries_.front().value.size();
        entries_.pop_front();
    }
}

bool Rejections::holds(const std::wstring& value, std::chrono::milliseconds now) {
    dropExpired(now);
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.value == value; });
}

void Rejections::forget(const std::wstring& value) {
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.value == value; });
    if (it == entries_.end()) return;
    characters_ -= it->value.size();
    entries_.erase(it);
}

void Rejections::clear() {
    entries_.clear();
    characters_ = 0;
}

} // namespace watch
