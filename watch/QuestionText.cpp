#include "watch/QuestionText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <vector>

#include "varnok_unicode_tables.h"
#include "watch/Punycode.h"

namespace watch {
namespace {

namespace u = unicode;

struct Props {
    std::uint8_t flags;
    std::uint32_t scripts;
};

Props propsOf(std::uint32_t c) {
    if (c > 0x10FFFF) return {u::kEscape, 0};
    const auto* r = std::upper_bound(std::begin(u::kRanges), std::end(u::kRanges), c,
                                     [](std::uint32_t v, const u::Range& x) { return v < (x.firstAndFlags >> 8); });
    --r;
    return {static_cast<std::uint8_t>(r->firstAndFlags & 0xFF), r->scripts};
}

bool has(std::uint32_t c, std::uint8_t flag) { return (propsOf(c).flags & flag) != 0; }

bool isHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

struct CodePoint {
    std::uint32_t c;
    size_t to;
};

// A lone surrogate stands for itself, and is escaped as the table says.
CodePoint codePointAt(const std::wstring& s, size_t i) {
    const auto c = static_cast<std::uint32_t>(s[i]);
    if (isHighSurrogate(c) && i + 1 < s.size() && isLowSurrogate(static_cast<std::uint32_t>(s[i + 1]))) {
        return {0x10000 + ((c - 0xD800) << 10) + (static_cast<std::uint32_t>(s[i + 1]) - 0xDC00), i + 2};
    }
    return {c, i + 1};
}

// Where the character that ends just before `end` starts.
size_t startBefore(const std::wstring& s, size_t end) {
    if (end >= 2 && isLowSurrogate(static_cast<std::uint32_t>(s[end - 1])) &&
        isHighSurrogate(static_cast<std::uint32_t>(s[end - 2]))) {
        return end - 2;
    }
    return end - 1;
}

// More marks than this on one letter are escaped: a pile of them draws over
// the lines around it.
constexpr int kMarksKept = 2;
// Ends a right-to-left run, so that what follows keeps its place.
constexpr wchar_t kLeftToRightMark = L'\u200E';

// One letter of the value with the marks kept on it (or one escape), and
// how it is shown.
struct Piece {
    size_t from, to;
    std::wstring shown;
    bool escaped = false, rightToLeft = false;
};

std::wstring escape(std::uint32_t c) {
    wchar_t buf[16];
    std::swprintf(buf, 16, c > 0xFFFF ? L"[U+%06X]" : L"[U+%04X]", static_cast<unsigned>(c));
    return buf;
}

bool isPlainLetter(const std::wstring& s, size_t i) {
    if (i >= s.size()) return false;
    const std::uint8_t f = propsOf(codePointAt(s, i).c).flags;
    return (f & u::kLetter) && !(f & u::kApostrophe);
}

// A letter that looks like an apostrophe (the Hebrew yod) stays readable
// inside a word; anywhere else it could pass for the end of the frame.
bool escapedAt(const std::wstring& s, size_t i, std::uint32_t c, bool asciiOnly) {
    const std::uint8_t f = propsOf(c).flags;
    if ((f & (u::kEscape | u::kMark)) || (asciiOnly && c > 0x7E)) return true;
    if (!(f & u::kApostrophe)) return false;
    return !(f & u::kLetter) || i == 0 || !isPlainLetter(s, startBefore(s, i)) ||
           !isPlainLetter(s, codePointAt(s, i).to);
}

void closeRun(std::vector<Piece>& pieces, size_t& shown) {
    if (!pieces.empty() && pieces.back().rightToLeft && pieces.back().shown.back() != kLeftToRightMark) {
        pieces.back().shown += kLeftToRightMark;
        ++shown;
    }
}

// The letters of [from, to) until their shown length reaches `budget`. A
// mark is kept only on a letter shown as it is, so it cannot change the
// look of the frame or of an escape, and a letter and its marks are one
// piece, which a line break never divides. Each right-to-left run ends with
// a left-to-right mark: digits and slashes after it stay in their order.
std::vector<Piece> segment(const std::wstring& s, size_t from, size_t to, size_t budget, bool asciiOnly) {
    std::vector<Piece> out;
    size_t shown = 0;
    for (size_t i = from; i < to && shown < budget;) {
        const CodePoint cp = codePointAt(s, i);
        const bool escaped = escapedAt(s, i, cp.c, asciiOnly);
        Piece p{i, cp.to, escaped ? escape(cp.c) : s.substr(i, cp.to - i), escaped};
        p.rightToLeft = !escaped && has(cp.c, u::kRightToLeft);
        i = cp.to;
        for (int kept = 0; !escaped && !asciiOnly && cp.c != L' ' && kept < kMarksKept && i < to; ++kept) {
            const CodePoint mark = codePointAt(s, i);
            if ((propsOf(mark.c).flags & (u::kMark | u::kEscape)) != u::kMark) break;
            p.shown.append(s, i, mark.to - i);
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

// The last letters after `limit`, while their shown length stays within `budget`.
std::vector<Piece> tailOf(const std::wstring& s, size_t limit, size_t budget, bool asciiOnly) {
    // Every code unit shows as at least one character, so the tail starts
    // no earlier than this; back to the letter that carries its marks.
    size_t start = s.size() - std::min(s.size() - limit, budget);
    if (start > limit && isLowSurrogate(static_cast<std::uint32_t>(s[start]))) start = startBefore(s, start + 1);
    for (size_t probe = start, k = 0; k <= kMarksKept && probe < s.size(); ++k) {
        if (!has(codePointAt(s, probe).c, u::kMark)) {
            start = probe;
            break;
        }
        if (probe == limit) break;
        probe = startBefore(s, probe);
    }
    std::vector<Piece> out = segment(s, start, s.size(), SIZE_MAX, asciiOnly);
    size_t shown = shownLength(out), drop = 0;
    while (drop < out.size() && shown > budget) shown -= out[drop++].shown.size();
    out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(drop));
    return out;
}

bool isSlash(wchar_t c) { return c == L'/' || c == L'\\'; }
bool isAsciiAlpha(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool isHostSeparator(wchar_t c) { return c == L'.' || c == L'\u3002' || c == L'\uFF0E' || c == L'\uFF61'; }

std::wstring lowerAscii(std::wstring_view s) {
    std::wstring out(s);
    for (wchar_t& c : out) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return out;
}

// Where a value that has the form of an address keeps its scheme, user
// name and host: [0, end) is never cut, [userFrom, hostTo) is shown label
// by label, [hostFrom, hostTo) is the host, and the characters of
// [0, schemeTo) beyond ASCII are escaped: a scheme is ASCII.
struct Address {
    size_t schemeTo = 0, userFrom = 0, hostFrom = 0, hostTo = 0, end = 0;
};

// As browsers read it: backslashes are slashes, any number of them follows
// http: and its kind, the host ends at the first slash, ? or #, and what
// comes before its last @ is a user name.
Address addressIn(const std::wstring& s) {
    size_t scheme = 0;
    if (!s.empty() && isAsciiAlpha(s[0])) {
        scheme = 1;
        while (scheme < s.size() && (isAsciiAlpha(s[scheme]) || (s[scheme] >= L'0' && s[scheme] <= L'9') ||
                                     s[scheme] == L'+' || s[scheme] == L'-' || s[scheme] == L'.')) {
            ++scheme;
        }
        if (scheme == s.size() || s[scheme] != L':') scheme = 0;
    }
    const std::wstring name = lowerAscii(std::wstring_view(s).substr(0, scheme));
    size_t host = 0, schemeTo = 0;
    // What imitates a scheme before the first two slashes: "httр://", with
    // a Cyrillic р, or "http：//".
    size_t slashes = 0;
    while (slashes + 1 < s.size() && !(isSlash(s[slashes]) && isSlash(s[slashes + 1]))) ++slashes;
    if (slashes + 1 >= s.size()) slashes = std::wstring::npos;
    if (scheme >= 2 && name.find(L'.') == std::wstring::npos) {
        host = scheme + 1;
        const bool special = name == L"http" || name == L"https" || name == L"ftp" || name == L"ws" || name == L"wss";
        if (special) {
            while (host < s.size() && isSlash(s[host])) ++host;
        } else if (host + 1 < s.size() && isSlash(s[host]) && isSlash(s[host + 1])) {
            host += 2;
        } else {
            return {};  // mailto:, about: and a drive letter have no host
        }
    } else if (slashes == 0) {
        host = 2;  // a network path
    } else if (slashes <= 32 && std::wstring_view(s).substr(0, slashes).find(L' ') == std::wstring_view::npos &&
               std::any_of(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(slashes), [](wchar_t c) { return c >= 0x80; })) {
        host = schemeTo = slashes + 2;
    }
    size_t end = host;
    while (end < s.size() && std::wstring_view(L"/\\?#").find(s[end]) == std::wstring_view::npos) ++end;
    if (host == 0) {
        // Without a scheme, what reads as a host name: "www.example.com/".
        const std::wstring_view first = std::wstring_view(s).substr(0, end);
        if (std::none_of(first.begin(), first.end(), isHostSeparator) || first.find(L' ') != std::wstring_view::npos) return {};
    }
    Address a{schemeTo, host, host, end, end};
    const size_t at = end == 0 ? std::wstring::npos : s.rfind(L'@', end - 1);
    if (at != std::wstring::npos && at >= host) a.hostFrom = at + 1;
    if (a.hostFrom < end && s[a.hostFrom] == L'[') {
        const size_t close = s.find(L']', a.hostFrom);
        if (close != std::wstring::npos && close < end) a.hostTo = close + 1;
    } else if (end > 0) {
        const size_t colon = s.rfind(L':', end - 1);
        if (colon != std::wstring::npos && colon >= a.hostFrom) a.hostTo = colon;
    }
    return a;
}

// Top-level domains under which a label wholly in their script is at home
// even where every letter of it looks Latin.
bool tldOfScript(const std::wstring& tld, std::uint32_t scripts) {
    static constexpr std::wstring_view cyrillic[] = {L"bg", L"by", L"kg", L"kz", L"mk", L"mn",
                                                     L"rs", L"ru", L"su", L"tj", L"ua", L"uz"};
    static constexpr std::wstring_view greek[] = {L"gr", L"cy"};
    if (scripts & u::kCyrillic) return std::find(std::begin(cyrillic), std::end(cyrillic), tld) != std::end(cyrillic);
    if (scripts & u::kGreek) return std::find(std::begin(greek), std::end(greek), tld) != std::end(greek);
    return false;
}

// UTS #39's moderately restrictive level: one script, or Latin with the
// scripts of Japan, China or Korea, or Latin with one other Recommended
// script that is neither Cyrillic nor Greek.
bool moderatelyRestrictive(const std::vector<std::uint32_t>& sets) {
    const auto coveredBy = [&sets](std::uint32_t scripts) {
        return std::all_of(sets.begin(), sets.end(), [scripts](std::uint32_t s) { return (s & scripts) != 0; });
    };
    std::uint32_t common = ~0u;
    for (std::uint32_t s : sets) common &= s;
    if (common != 0) return true;
    for (std::uint32_t mix : {u::kLatin | u::kHan | u::kHiragana | u::kKatakana | u::kJpan,
                              u::kLatin | u::kHan | u::kBopomofo | u::kHanb, u::kLatin | u::kHan | u::kHangul | u::kKore}) {
        if (coveredBy(mix)) return true;
    }
    for (std::uint32_t other = u::kLatin << 1; other < u::kJpan; other <<= 1) {
        if (other != u::kCyrillic && other != u::kGreek && coveredBy(u::kLatin | other)) return true;
    }
    return false;
}

// Whether a host label with characters beyond ASCII may be shown as it is,
// by the rules browsers use for their address bars.
bool readableLabel(const std::vector<std::uint32_t>& label, bool isTld, const std::wstring& tld) {
    std::vector<std::uint32_t> sets;
    std::uint32_t common = ~0u;
    bool asciiLetter = false, lookalike = false, allLookalikes = true, rtl = false, ltr = false;
    std::uint32_t before = 0;
    for (std::uint32_t c : label) {
        const Props p = propsOf(c);
        if (!(p.flags & u::kHostOk)) return false;  // symbols, compatibility forms, scripts of limited use
        // A dot above an i, j, l or dotless i draws the i of another name.
        if (c == 0x0307 && (before == L'i' || before == L'j' || before == L'l' || before == 0x0131)) return false;
        before = c;
        asciiLetter |= c < 0x80 && isAsciiAlpha(static_cast<wchar_t>(c));
        if (c >= 0x80 && (p.flags & u::kLooksAscii)) lookalike = true;
        if (c >= 0x80 && !(p.flags & u::kLooksAscii) && p.scripts) allLookalikes = false;
        rtl |= (p.flags & u::kRightToLeft) != 0;
        ltr |= (p.flags & u::kLeftToRight) != 0;
        if (p.scripts) {
            sets.push_back(p.scripts);
            common &= p.scripts;
        }
    }
    if (rtl && ltr) return false;                          // IDNA's bidi rule
    if (!moderatelyRestrictive(sets)) return false;        // аpple, with a Cyrillic а
    if (asciiLetter && lookalike) return false;            // gօօgle, with Armenian օ
    const bool latinTld = !tld.empty() && tld.rfind(L"xn--", 0) != 0 &&
                          std::all_of(tld.begin(), tld.end(), [](wchar_t c) { return c < 0x80; });
    // Whole-script lookalikes: аррӏе.com, all Cyrillic.
    return asciiLetter || !allLookalikes || isTld || !latinTld || tldOfScript(tld, common);
}

// One host label as shown: as written, its escapes and all, or, where the
// rest of it could pass for another, in its ASCII form, xn--.
std::vector<Piece> shownLabel(const std::wstring& s, size_t from, size_t to, bool isTld, const std::wstring& tld,
                              bool asciiOnly) {
    std::vector<Piece> pieces = segment(s, from, to, SIZE_MAX, asciiOnly);
    // What is escaped anyway (an ideographic space, a direction override)
    // shows as the escape it is; the rest of the label decides.
    std::vector<std::uint32_t> label, kept;
    for (const Piece& p : asciiOnly ? segment(s, from, to, SIZE_MAX, false) : pieces) {
        for (size_t i = p.from; i < p.to;) {
            const CodePoint cp = codePointAt(s, i);
            label.push_back(cp.c);
            if (!p.escaped) kept.push_back(cp.c);
            i = cp.to;
        }
    }
    if (std::all_of(kept.begin(), kept.end(), [](std::uint32_t c) { return c < 0x80; }) ||
        (!asciiOnly && readableLabel(kept, isTld, tld))) {
        return pieces;
    }
    // Its ASCII characters are kept as they are, and escaped as anywhere else.
    const std::wstring encodedText = L"xn--" + punycode(label);
    std::vector<Piece> encoded = segment(encodedText, 0, encodedText.size(), SIZE_MAX, asciiOnly);
    for (Piece& p : encoded) p.from = p.to = to;
    return encoded;
}

// The scheme, user name, host and port, the user name and host label by
// label: a user name can read as a host too.
std::vector<Piece> addressPart(const std::wstring& s, const Address& a, bool asciiOnly) {
    std::vector<Piece> out = segment(s, 0, a.userFrom, SIZE_MAX, asciiOnly);
    for (Piece& p : out) {
        if (p.from < a.schemeTo && !p.escaped && p.shown[0] >= 0x80) {
            p = {p.from, p.to, escape(codePointAt(s, p.from).c), true};
        }
    }
    std::vector<std::pair<size_t, size_t>> labels;
    for (size_t i = a.userFrom;;) {
        size_t j = i;
        while (j < a.hostTo && !isHostSeparator(s[j]) && (j >= a.hostFrom || (s[j] != L':' && s[j] != L'@'))) ++j;
        labels.emplace_back(i, j);
        if (j >= a.hostTo) break;
        i = j + 1;
    }
    // The top-level domain: the host's last label, or the one before a final dot.
    auto tld = labels.rbegin();
    if (tld->first == tld->second && tld + 1 != labels.rend() && (tld + 1)->first >= a.hostFrom) ++tld;
    const std::wstring tldText = lowerAscii(std::wstring_view(s).substr(tld->first, tld->second - tld->first));
    const bool oneLabel = tld->first == a.hostFrom;
    for (const auto& [from, to] : labels) {
        append(out, shownLabel(s, from, to, from == tld->first || (oneLabel && from >= a.hostFrom), tldText, asciiOnly));
        if (to < a.hostTo) append(out, segment(s, to, to + 1, SIZE_MAX, asciiOnly));
    }
    append(out, segment(s, a.hostTo, a.end, SIZE_MAX, asciiOnly));
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
    void put(const std::vector<Piece>& pieces) {
        for (const Piece& p : pieces) put(p.shown);
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
    const Address address = addressIn(value);
    // Every code unit shows as at least one character: one this long
    // cannot fit, whatever it holds.
    std::vector<Piece> head;
    if (address.end > 0 && address.end <= display.longest) head = addressPart(value, address, display.asciiOnly);
    const size_t fixed = shownLength(head);
    if (address.end > display.longest || fixed > display.longest) {
        return L"[the host is too long to show: " + std::to_wstring(address.end) + L" characters before the path]";
    }
    Lines lines(display.run);
    std::vector<Piece> rest = segment(value, address.end, value.size(), display.longest - fixed + 1, display.asciiOnly);
    if (fixed + shownLength(rest) <= display.longest && (rest.empty() || rest.back().to == value.size())) {
        lines.put(head);
        lines.put(rest);
        return lines.take();
    }
    // Half the budget each for the beginning and the end; the address
    // part of the beginning is shown whole.
    const size_t half = display.longest / 2;
    size_t shown = fixed, kept = 0;
    while (kept < rest.size() && shown + rest[kept].shown.size() <= half) shown += rest[kept++].shown.size();
    rest.resize(kept);
    closeRun(rest, shown);
    const size_t headEnd = rest.empty() ? address.end : rest.back().to;
    const std::vector<Piece> tail = tailOf(value, headEnd, display.longest - std::max(half, fixed), display.asciiOnly);
    const size_t tailStart = tail.empty() ? value.size() : tail.front().from;
    lines.put(head);
    lines.put(rest);
    lines.putMarker(L" [... " + std::to_wstring(tailStart - headEnd) + L" characters left out ...] ");
    lines.put(tail);
    return lines.take();
}

} // namespace watch
