#pragma once
#include <optional>

#include "platform/ChangeSignal.h"
#include "platform/Registry.h"
#include "store/RegistryPath.h"

namespace store {

// Serves reads of the watched value from the last real read for as long as
// the registry reports no change to its key, so a tick that finds nothing
// changed costs no system call. A real read is still made at least once in
// every kMaxAgeMs, because a notification cannot report everything.
class CachingRegistry final : public platform::Registry {
public:
    static constexpr std::uint64_t kMaxAgeMs = 750;

    CachingRegistry(platform::Registry& inner, platform::ChangeSignal& signal, const platform::Clock& clock,
                    RegistryPath watched)
        : inner_(inner), signal_(signal), clock_(clock), watched_(std::move(watched)) {}

    std::optional<platform::RegistryData> read(platform::Hive hive, const std::wstring& key,
                                               const std::wstring& name) override;
    bool writeString(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                     const std::wstring& text) override;
    std::wstring expandEnvironment(const std::wstring& text) override { return inner_.expandEnvironment(text); }

private:
    bool isWatched(platform::Hive hive, const std::wstring& key, const std::wstring& name) const;

    platform::Registry& inner_;
    platform::ChangeSignal& signal_;
    const platform::Clock& clock_;
    RegistryPath watched_;
    bool cached_ = false;
    std::optional<platform::RegistryData> value_;
    std::uint64_t readAt_ = 0;
};

} // namespace store
