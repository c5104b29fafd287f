#include "store/RegistryText.h"

#include <cstdint>

namespace store {
namespace {

// Registry strings are UTF-16LE; an odd trailing byte is no character.
std::wstring utf16UpToNul(const std::vector<std::uint8_t>& bytes) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == L'\0') break;
        text.push_back(unit);
    }
    return text;
}

std::uint64_t littleEndian(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t n = 0;
    for (size_t i = bytes.size(); i-- > 0;) n = (n << 8) | bytes[i];
    return n;
}

} // namespace

std::wstring registryDataToText(const platform::RegistryData& data,
                                const std::function<std::wstring(const std::wstring&)>& expand) {
    switch (data.type) {
    case platform::RegSz:
        return utf16UpToNul(data.bytes);
    case platform::RegExpandSz:
        return expand(utf16UpToNul(data.bytes));
    case platform::RegDword:
        return data.bytes.size() == 4 ? std::to_wstring(littleEndian(data.bytes)) : std::wstring{};
    case platform::RegQword:
        return data.bytes.size() == 8 ? std::to_wstring(littleEndian(data.bytes)) : std::wstring{};
    default:
        return {};
    }
}

} // namespace store
