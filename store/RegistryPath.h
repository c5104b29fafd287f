#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace store {

// "HIVE\key\path\value": the value is named by the last segment, so a trailing
// backslash names the key's default value.
struct RegistryPath {
    platform::Hive hive;
    std::wstring key;
    std::wstring value;
};

std::optional<RegistryPath> parseRegistryPath(std::wstring_view path);

// Hive, key and value names compare without regard to case, as the registry does.
bool sameRegistryName(std::wstring_view a, std::wstring_view b);

} // namespace store
