// Any registry data, of any declared type, converts to text without fault;
// any path parses or is refused without fault.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "store/RegistryPath.h"
#include "store/RegistryText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    platform::RegistryData d;
    std::memcpy(&d.type, data, 4);
    d.type %= 16; // mostly the types that mean something
    d.bytes.assign(data + 4, data + size);
    const std::wstring text = store::registryDataToText(d, [](const std::wstring& s) { return s; });
    // Strings never outgrow their data; numbers are at most 20 digits.
    if (text.size() > d.bytes.size() / 2 && text.size() > 20) __builtin_trap();
    // A page of any type splits into its mark and its text, and shows as both.
    const std::wstring page = store::pageOf(d, [](const std::wstring& s) { return s; });
    const auto [mark, shown] = store::splitPage(page);
    if (mark + shown != store::shownPage(page)) __builtin_trap();
    if (shown.size() > d.bytes.size() && shown.size() > 20) __builtin_trap();

    std::wstring path;
    for (std::size_t i = 4; i + 1 < size; i += 2) path.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    if (const auto p = store::parseRegistryPath(path)) {
        if (p->key.size() + p->value.size() >= path.size()) __builtin_trap();
    }
    return 0;
}
