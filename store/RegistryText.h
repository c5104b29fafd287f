#pragma once
#include <functional>
#include <string>

#include "platform/Registry.h"

namespace store {

// Registry data as text, the way the scripting host's RegRead hands it out:
// strings cut at their first NUL, expandable strings expanded, numbers as
// unsigned decimal digits; every other type reads as the empty text.
std::wstring registryDataToText(const platform::RegistryData& data,
                                const std::function<std::wstring(const std::wstring&)>& expand);

} // namespace store
