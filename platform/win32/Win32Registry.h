#pragma once
#include <windows.h>

#include "platform/Registry.h"

namespace platform {

HKEY rootKeyOf(Hive hive);

class Win32Registry final : public Registry {
public:
    std::optional<RegistryData> read(Hive hive, const std::wstring& key, const std::wstring& name) override;
    bool writeString(Hive hive, const std::wstring& key, const std::wstring& name, const std::wstring& text) override;
    std::wstring expandEnvironment(const std::wstring& text) override;

private:
    // The size of the last value read: usually the next read fits, and one
    // call does instead of a size query and a read.
    DWORD lastSize_ = 512;
};

} // namespace platform
