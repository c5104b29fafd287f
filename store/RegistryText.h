#pragma once
#include <functional>
#include <string>
#include <utility>

#include "platform/Registry.h"

namespace store {

// Registry data as text, the way the scripting host's RegRead hands it out:
// strings cut at their first NUL, expandable strings expanded, numbers as
// unsigned decimal digits; every other type reads as the empty text.
std::wstring registryDataToText(const platform::RegistryData& data,
                                const std::function<std::wstring(const std::wstring&)>& expand);

// Any data as text, marked where its type is not a string's, so that a
// page stored otherwise shows what it holds and a type changed alone reads
// as a change: "[REG_BINARY] http://…". The string types read as above;
// numbers as their digits; other bytes as one character a byte where none is
// zero (ANSI text), else as UTF-16, trailing zeros left out.
std::wstring markedText(const platform::RegistryData& data,
                        const std::function<std::wstring(const std::wstring&)>& expand);

// A page as the watch compares it: a string as registryDataToText reads
// it; any other type as its marked text after a NUL, which no string read
// from the registry holds, so that no page typed as text can equal it.
std::wstring pageOf(const platform::RegistryData& data, const std::function<std::wstring(const std::wstring&)>& expand);
// Such a page as shown: the marked text ("[REG_BINARY] http://…").
std::wstring shownPage(const std::wstring& page);
// The mark and the text of such a page ("[REG_BINARY] " and "http://…");
// a string's mark is empty.
std::pair<std::wstring, std::wstring> splitPage(const std::wstring& page);

// The type's name as the registry's tools show it; a number for an unknown one.
std::wstring registryTypeName(std::uint32_t type);

} // namespace store
