// Whatever the stored value, the question shows no character that changes
// direction or hides, stays short, and wraps: its only line breaks are its own.
#include <cstddef>
#include <cstdint>

#include "watch/QuestionText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring value;
    for (std::size_t i = 0; i + 1 < size; i += 2) value.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    // Long values are cheap to make from a short input.
    if (size > 0 && data[0] == 0xFF) value = std::wstring(5000 + data[size - 1], L'a') + value;
    for (const watch::Display& d : watch::kDisplays) {
        const std::wstring shown = watch::shownInQuestion(value, d);
        std::size_t line = 0, unwrapped = 0;
        for (wchar_t c : shown) {
            const auto u = static_cast<std::uint32_t>(c);
            if ((u < 0x20 && c != L'\n') || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) ||
                (u >= 0x200B && u <= 0x200F) || (d.asciiOnly && u > 0x7E)) {
                __builtin_trap();
            }
            line = c == L'\n' || c == L' ' ? 0 : line + 1;
            unwrapped += c != L'\n';
            if (line > d.run) __builtin_trap();
        }
        if (unwrapped > d.longest + 64) __builtin_trap();
    }
    return 0;
}
