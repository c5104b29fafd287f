#include "watch/Characters.h"

#include <algorithm>
#include <iterator>

namespace watch::chars {

namespace u = unicode;

Props propsOf(std::uint32_t c) {
    if (c > 0x10FFFF) return {u::kEscape, 0};
    const auto* r = std::upper_bound(std::begin(u::kRanges), std::end(u::kRanges), c,
                                     [](std::uint32_t v, const u::Range& x) { return v < (x.firstAndFlags >> 8); });
    --r;
    return {static_cast<std::uint8_t>(r->firstAndFlags & 0xFF), r->scripts};
}

CodePoint codePointAt(std::wstring_view s, size_t i) {
    const auto c = static_cast<std::uint32_t>(s[i]);
    if (isHighSurrogate(c) && i + 1 < s.size() && isLowSurrogate(static_cast<std::uint32_t>(s[i + 1]))) {
        return {0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(s[i + 1]) - 0xDC00), i + 2};
    }
    return {c, i + 1};
}

size_t startBefore(std::wstring_view s, size_t end) {
    if (end >= 2 && isLowSurrogate(static_cast<std::uint32_t>(s[end - 1])) &&
        isHighSurrogate(static_cast<std::uint32_t>(s[end - 2]))) {
        return end - 2;
    }
    return end - 1;
}

size_t codePointsIn(std::wstring_view s, size_t from, size_t to) {
    size_t n = 0;
    for (size_t i = from; i < to; i = codePointAt(s, i).to) ++n;
    return n;
}

} // namespace watch::chars
