#include "watch/QuestionText.h"

#include <cstdint>
#include <cstdio>

namespace watch {
namespace {

constexpr size_t kKeptEachEnd = 1000;

bool isHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool mustEscape(std::uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F)  // control characters
           || c == 0x00AD || c == 0x034F         // soft hyphen, grapheme joiner
           || c == 0x061C || c == 0x180E         // Arabic letter mark, Mongolian vowel separator
           || (c >= 0x200B && c <= 0x200F)       // zero-width characters, LRM, RLM
           || (c >= 0x2028 && c <= 0x202E)       // line breaks, embeddings and overrides
           || (c >= 0x2060 && c <= 0x206F)       // word joiner, isolates, invisible operators
           || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0xE0000 && c <= 0xE007F);
}

void appendEscape(std::wstring& out, std::uint32_t c) {
    wchar_t buf[16];
    std::swprintf(buf, 16, c > 0xFFFF ? L"[U+%06X]" : L"[U+%04X]", static_cast<unsigned>(c));
    out += buf;
}

// Escapes a run of UTF-16 code units; a lone surrogate is escaped too.
// (Where wchar_t is wider, a unit may already be a whole code point.)
void appendShown(std::wstring& out, const std::wstring& s, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        const auto u = static_cast<std::uint32_t>(s[i]);
        const auto next = i + 1 < to ? static_cast<std::uint32_t>(s[i + 1]) : 0u;
        if (isHighSurrogate(u) && isLowSurrogate(next)) {
            const std::uint32_t c = 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00);
            if (mustEscape(c)) {
                appendEscape(out, c);
            } else {
                out.append(s, i, 2);
            }
            ++i;
        } else if (isHighSurrogate(u) || isLowSurrogate(u) || u > 0x10FFFF || mustEscape(u)) {
            appendEscape(out, u);
        } else {
            out.push_back(s[i]);
        }
    }
}

// Never cut between the two halves of a surrogate pair.
size_t cutBefore(const std::wstring& s, size_t at) {
    if (at > 0 && at < s.size() && isLowSurrogate(static_cast<std::uint32_t>(s[at])) &&
        isHighSurrogate(static_cast<std::uint32_t>(s[at - 1]))) {
        return at - 1;
    }
    return at;
}

} // namespace

std::wstring shownInQuestion(const std::wstring& value) {
    std::wstring out;
    if (value.size() <= kLongestShown) {
        appendShown(out, value, 0, value.size());
        return out;
    }
    const size_t headEnd = cutBefore(value, kKeptEachEnd);
    const size_t tailStart = cutBefore(value, value.size() - kKeptEachEnd);
    appendShown(out, value, 0, headEnd);
    out += L" [... " + std::to_wstring(tailStart - headEnd) + L" characters left out ...] ";
    appendShown(out, value, tailStart, value.size());
    return out;
}

} // namespace watch
