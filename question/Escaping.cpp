#include "question/Escaping.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "question/Characters.h"

namespace question {
namespace {

namespace u = unicode;
using chars::codePointAt;
using chars::propsOf;

// More marks than this on one letter are escaped: a pile of them draws over
// the lines around it.
constexpr int kMarksKept = 2;
// Ends a right-to-left run, so that what follows keeps its place.
constexpr wchar_t kLeftToRightMark = L'\u200E';

bool isPlainLetter(std::wstring_view s, size_t i) {
    if (i >= s.size()) return false;
    const std::uint8_t f = propsOf(codePointAt(s, i).c).flags;
    return (f & u::kLetter) && !(f & u::kApostrophe);
}

bool insideWord(std::wstring_view s, size_t i) {
    return i > 0 && isPlainLetter(s, chars::startBefore(s, i)) && isPlainLetter(s, codePointAt(s, i).to);
}

// A letter that looks like an apostrophe (the Hebrew yod) stays readable
// inside a word; anywhere else it could pass for the end of the frame.
bool escapedAt(std::wstring_view s, size_t i, std::uint32_t c, bool asciiOnly) {
    const std::uint8_t f = propsOf(c).flags;
    if ((f & (u::kEscape | u::kMark)) || (asciiOnly && c > 0x7E)) return true;
    if (!(f & u::kApostrophe)) return false;
    return !(f & u::kLetter) || !insideWord(s, i);
}

bool isKeptMark(std::uint32_t c) { return (propsOf(c).flags & (u::kMark | u::kEscape)) == u::kMark; }

} // namespace

std::wstring escape(std::uint32_t c) {
    wchar_t buf[16];
    std::swprintf(buf, 16, c > 0xFFFF ? L"[U+%06X]" : L"[U+%04X]", static_cast<unsigned>(c));
    return buf;
}

void closeRun(std::vector<Piece>& pieces, size_t& shown) {
    if (!pieces.empty() && pieces.back().rightToLeft && pieces.back().shown.back() != kLeftToRightMark) {
        pieces.back().shown += kLeftToRightMark;
        ++shown;
    }
}

// A mark is kept only on a letter shown as it is, so it cannot change the
// look of the frame or of an escape, and a letter and its marks are one
// piece, which a line break never divides.
std::vector<Piece> segment(std::wstring_view s, size_t from, size_t to, size_t budget, bool asciiOnly) {
    std::vector<Piece> out;
    size_t shown = 0;
    for (size_t i = from; i < to && shown < budget;) {
        const chars::CodePoint cp = codePointAt(s, i);
        const bool escaped = escapedAt(s, i, cp.c, asciiOnly);
        Piece p{i, cp.to, escaped ? escape(cp.c) : std::wstring(s.substr(i, cp.to - i)), escaped};
        p.rightToLeft = !escaped && chars::has(cp.c, u::kRightToLeft);
        i = cp.to;
        for (int kept = 0; !escaped && !asciiOnly && cp.c != L' ' && kept < kMarksKept && i < to; ++kept) {
            const chars::CodePoint mark = codePointAt(s, i);
            if (!isKeptMark(mark.c)) break;
            p.shown.append(s.substr(i, mark.to - i));
            p.to = i = mark.to;
        }
        if (!p.rightToLeft) closeRun(out, shown);
        shown += p.shown.size();
        out.push_back(std::move(p));
    }
    closeRun(out, shown);
    return out;
}

size_t shownLength(const std::vector<Piece>& pieces) {
    size_t n = 0;
    for (const Piece& p : pieces) n += p.shown.size();
    return n;
}

void append(std::vector<Piece>& to, std::vector<Piece> more) {
    to.insert(to.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
}

std::vector<Piece> tailOf(std::wstring_view s, size_t limit, size_t budget, bool asciiOnly) {
    // Every code unit shows as at least one character, so the tail starts
    // no earlier than this; back to the letter that carries its marks.
    size_t start = s.size() - std::min(s.size() - limit, budget);
    if (start > limit && chars::isLowSurrogate(static_cast<std::uint32_t>(s[start]))) {
        start = chars::startBefore(s, start + 1);
    }
    for (size_t probe = start, k = 0; k <= kMarksKept && probe < s.size(); ++k) {
        if (!chars::has(codePointAt(s, probe).c, u::kMark)) {
            start = probe;
            break;
        }
        if (probe == limit) break;
        probe = chars::startBefore(s, probe);
    }
    std::vector<Piece> out = segment(s, start, s.size(), SIZE_MAX, asciiOnly);
    size_t shown = shownLength(out), drop = 0;
    while (drop < out.size() && shown > budget) shown -= out[drop++].shown.size();
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(drop));
    return out;
}

} // namespace question
