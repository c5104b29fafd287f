#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "varnok_unicode_tables.h"

// What the question's display knows of a character, from the tables made
// when Varnok is built, and code points read out of UTF-16 text.
namespace question::chars {

struct Props {
    std::uint8_t flags;     // unicode::kMark, kEscape and the rest
    std::uint32_t scripts;  // the Recommended scripts it is used in, as bits
};
Props propsOf(std::uint32_t c);
inline bool has(std::uint32_t c, std::uint8_t flag) { return (propsOf(c).flags & flag) != 0; }

inline bool isHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool isLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
inline bool isAsciiLetter(std::uint32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

struct CodePoint {
    std::uint32_t c;
    size_t to;
};
// The code point at `i`; a lone surrogate stands for itself.
CodePoint codePointAt(std::wstring_view s, size_t i);
// Where the code point that ends just before `end` starts.
size_t startBefore(std::wstring_view s, size_t end);
// How many code points [from, to) holds, a lone surrogate counting as one.
size_t codePointsIn(std::wstring_view s, size_t from, size_t to);

} // namespace question::chars
