#include "store/CachingRegistry.h"


namespace store {
bool CachingRegistry::isWatched(platform::Hive hive, const std::wstring& key, const std::wstring& name) const {
    return hive == watched_.hive && sameRegistryName(key, watched_.key) && sameRegistryName(name, watched_.value);
}

std::optional<platform::RegistryData> CachingRegistry::read(platform::Hive hive, const std::wstring& key,
                                                            const std::wstring& name) {
    if (!isWatched(hive, key, name)) return inner_.read(hive, key, name);
    const bool changed = signal_.consumeChange();
    const std::uint64_t now = clock_.nowMs();
    if (cached_ && !changed && now - readAt_ < kMaxAgeMs) return value_;
    value_ = inner_.read(hive, key, name);
    cached_ = true;
    readAt_ = now;
    return value_;
}

bool CachingRegistry::writeString(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                                  const std::wstring& text) {
    // Whether or not the write took, only a real read tells what is stored now.
    if (isWatched(hive, key, name)) cached_ = false;
    return inner_.writeString(hive, key, name, text);
}

} // namespace store
