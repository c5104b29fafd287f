#include "store/RegistryText.h"

#include <algorithm>
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

// What bytes of no string type hold, shown as text; see markedText.
std::wstring bytesAsText(const std::vector<std::uint8_t>& bytes) {
    size_t end = bytes.size();
    while (end > 0 && bytes[end - 1] == 0) --end;
    std::wstring text;
    if (std::find(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end), 0) == bytes.begin() + static_cast<std::ptrdiff_t>(end)) {
        for (size_t i = 0; i < end; ++i) text.push_back(static_cast<wchar_t>(bytes[i]));
        return text;
    }
    for (size_t i = 0; i < end; i += 2) {
        const unsigned high = i + 1 < end ? bytes[i + 1] : 0;
        text.push_back(static_cast<wchar_t>(bytes[i] | (high << 8)));
    }
    return text;
}

} // namespace

std::wstring registryTypeName(std::uint32_t type) {
    switch (type) {
    case platform::RegNone: return L"REG_NONE";
    case platform::RegSz: return L"REG_SZ";
    case platform::RegExpandSz: return L"REG_EXPAND_SZ";
    case platform::RegBinary: return L"REG_BINARY";
    case platform::RegDword: return L"REG_DWORD";
    case platform::RegDwordBigEndian: return L"REG_DWORD_BIG_ENDIAN";
    case platform::RegLink: return L"REG_LINK";
    case platform::RegMultiSz: return L"REG_MULTI_SZ";
    case platform::RegQword: return L"REG_QWORD";
    default: return L"type " + std::to_wstring(type);
    }
}

std::wstring markedText(const platform::RegistryData& data,
                        const std::function<std::wstring(const std::wstring&)>& expand) {
    if (data.type == platform::RegSz || data.type == platform::RegExpandSz) return registryDataToText(data, expand);
    std::wstring text = registryDataToText(data, expand);
    if (text.empty()) text = bytesAsText(data.bytes);
    return L"[" + registryTypeName(data.type) + L"] " + text;
}

std::wstring pageOf(const platform::RegistryData& data, const std::function<std::wstring(const std::wstring&)>& expand) {
    if (data.type == platform::RegSz || data.type == platform::RegExpandSz) return registryDataToText(data, expand);
    return L'\0' + markedText(data, expand);
}

std::wstring shownPage(const std::wstring& page) {
    return !page.empty() && page[0] == L'\0' ? page.substr(1) : page;
}

std::pair<std::wstring, std::wstring> splitPage(const std::wstring& page) {
    if (page.empty() || page[0] != L'\0') return {{}, page};
    const size_t end = page.find(L"] ");
    if (end == std::wstring::npos) return {{}, page.substr(1)};
    return {page.substr(1, end + 1), page.substr(end + 2)};
}

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
