#include "watch/QuestionText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace watch {
namespace {

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

bool isCombiningMark(std::uint32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// More marks than this on one letter are escaped: a pile of them draws over
// the lines around it.
constexpr int kMarksKept = 2;

// One character of the value (a code point, or a lone surrogate) and how it
// is shown.
struct Piece {
    size_t from, to;
    std::wstring shown;
};

std::wstring escape(std::uint32_t c) {
    wchar_t buf[16];
    std::swprintf(buf, 16, c > 0xFFFF ? L"[U+%06X]" : L"[U+%04X]", static_cast<unsigned>(c));
    return buf;
}

// The character that starts at i, with `marks` combining marks before it.
Piece pieceAt(const std::wstring& s, size_t i, int marks, bool asciiOnly) {
    const auto u = static_cast<std::uint32_t>(s[i]);
    const auto next = i + 1 < s.size() ? static_cast<std::uint32_t>(s[i + 1]) : 0u;
    std::uint32_t c = u;
    size_t to = i + 1;
    if (isHighSurrogate(u) && isLowSurrogate(next)) {
        c = 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00);
        to = i + 2;
    } else if (isHighSurrogate(u) || isLowSurrogate(u) || u > 0x10FFFF) {
        return {i, to, escape(u)};
    }
    if (mustEscape(c) || (asciiOnly && c > 0x7E) || (isCombiningMark(c) && marks >= kMarksKept)) {
        return {i, to, escape(c)};
    }
    return {i, to, s.substr(i, to - i)};
}

// Where the character that ends just before `end` starts.
size_t startBefore(const std::wstring& s, size_t end) {
    if (end >= 2 && isLowSurrogate(static_cast<std::uint32_t>(s[end - 1])) &&
        isHighSurrogate(static_cast<std::uint32_t>(s[end - 2]))) {
        return end - 2;
    }
    return end - 1;
}

int marksBefore(const std::wstring& s, size_t i) {
    int marks = 0;
    while (i > 0 && marks < kMarksKept) {
        i = startBefore(s, i);
        if (!isCombiningMark(static_cast<std::uint32_t>(s[i]))) break;
        ++marks;
    }
    return marks;
}

// The first characters, until their shown length reaches `budget`.
std::vector<Piece> headOf(const std::wstring& s, size_t budget, bool asciiOnly) {
    std::vector<Piece> out;
    size_t shown = 0;
    int marks = 0;
    for (size_t i = 0; i < s.size() && shown < budget;) {
        Piece p = pieceAt(s, i, marks, asciiOnly);
        marks = isCombiningMark(static_cast<std::uint32_t>(s[i])) ? marks + 1 : 0;
        shown += p.shown.size();
        i = p.to;
        out.push_back(std::move(p));
    }
    return out;
}

// The last characters, back to `limit`, while their shown length stays within `budget`.
std::vector<Piece> tailOf(const std::wstring& s, size_t limit, size_t budget, bool asciiOnly) {
    std::vector<Piece> out;
    size_t shown = 0;
    for (size_t end = s.size(); end > limit;) {
        const size_t i = startBefore(s, end);
        Piece p = pieceAt(s, i, marksBefore(s, i), asciiOnly);
        if (shown + p.shown.size() > budget) break;
        shown += p.shown.size();
        end = i;
        out.push_back(std::move(p));
    }
    std::reverse(out.begin(), out.end());
    return out;
}

// Appends shown text, breaking a run without spaces before it passes the
// display's limit: after the run's last character where addresses divide,
// if any, else where the limit falls.
class Lines {
public:
    explicit Lines(size_t run) : run_(run) {}
    void put(const std::wstring& shown) {
        while (run_ && length_ > 0 && length_ + shown.size() > run_) {
            const size_t at = divide_ != std::wstring::npos ? divide_ : out_.size();
            out_.insert(at, 1, L'\n');
            length_ = out_.size() - at - 1;
            divide_ = std::wstring::npos;
        }
        out_ += shown;
        length_ = shown == L" " ? 0 : length_ + shown.size();
        if (shown == L" ") {
            divide_ = std::wstring::npos;
        } else if (shown.size() == 1 && std::wstring_view(L"/?&=#").find(shown[0]) != std::wstring_view::npos &&
                   length_ * 3 >= run_) {
            divide_ = out_.size();
        }
    }
    // Text of the question's own, with spaces to wrap at.
    void putMarker(const std::wstring& text) {
        out_ += text;
        length_ = 0;
        divide_ = std::wstring::npos;
    }
    std::wstring take() { return std::move(out_); }

private:
    size_t run_, length_ = 0;
    size_t divide_ = std::wstring::npos; // just after the current run's last divider
    std::wstring out_;
};

} // namespace

std::wstring shownInQuestion(const std::wstring& value, const Display& display) {
    Lines lines(display.run);
    std::vector<Piece> head = headOf(value, display.longest + 1, display.asciiOnly);
    size_t total = 0;
    for (const Piece& p : head) total += p.shown.size();
    if (total <= display.longest && (head.empty() || head.back().to == value.size())) {
        for (const Piece& p : head) lines.put(p.shown);
        return lines.take();
    }
    // Half the budget each for the beginning and the end.
    size_t shown = 0, kept = 0;
    while (kept < head.size() && shown + head[kept].shown.size() <= display.longest / 2) shown += head[kept++].shown.size();
    head.resize(kept);
    const size_t headEnd = head.empty() ? 0 : head.back().to;
    const std::vector<Piece> tail = tailOf(value, headEnd, display.longest / 2, display.asciiOnly);
    const size_t tailStart = tail.empty() ? value.size() : tail.front().from;
    for (const Piece& p : head) lines.put(p.shown);
    lines.putMarker(L" [... " + std::to_wstring(tailStart - headEnd) + L" characters left out ...] ");
    for (const Piece& p : tail) lines.put(p.shown);
    return lines.take();
}

} // namespace watch
