#include "question/HostPolicy.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "question/Characters.h"
#include "question/IdnaMapping.h"
#include "question/Punycode.h"

namespace question {
namespace {

namespace u = unicode;
using chars::propsOf;

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

// What the rules read from a label.
struct Traits {
    bool mixesSafely = true;   // no check but the whole-script one speaks against it
    bool wholeLookalike = false; // no ASCII letter, and every letter beyond ASCII looks like one
    std::uint32_t scripts = ~0u; // the scripts all its letters share
};

// A dot above an i, j, l or dotless i draws the i of another name.
bool dotOnAnI(std::uint32_t c, std::uint32_t before) {
    return c == 0x0307 && (before == 'i' || before == 'j' || before == 'l' || before == 0x0131);
}

Traits traitsOf(const Label& label) {
    Traits t;
    std::vector<std::uint32_t> sets;
    bool asciiLetter = false, lookalike = false, allLookalikes = true, rtl = false, ltr = false;
    std::uint32_t before = 0;
    for (std::uint32_t c : label) {
        const chars::Props p = propsOf(c);
        // Symbols, compatibility forms, scripts of limited use.
        if (!(p.flags & u::kHostOk) || dotOnAnI(c, before)) t.mixesSafely = false;
        before = c;
        asciiLetter |= c < 0x80 && chars::isAsciiLetter(c);
        if (c >= 0x80 && (p.flags & u::kLooksAscii)) lookalike = true;
        if (c >= 0x80 && !(p.flags & u::kLooksAscii) && p.scripts) allLookalikes = false;
        rtl |= (p.flags & u::kRightToLeft) != 0;
        ltr |= (p.flags & u::kLeftToRight) != 0;
        if (p.scripts) {
            sets.push_back(p.scripts);
            t.scripts &= p.scripts;
        }
    }
    if (rtl && ltr) t.mixesSafely = false;                   // IDNA's bidi rule
    if (!moderatelyRestrictive(sets)) t.mixesSafely = false; // аpple, with a Cyrillic а
    if (asciiLetter && lookalike) t.mixesSafely = false;     // gօօgle, with Armenian օ
    t.wholeLookalike = !asciiLetter && allLookalikes;         // аррӏе, all Cyrillic
    return t;
}

// A letter of one of `scripts` that looks like no Latin one.
bool showsScript(const Label& label, std::uint32_t scripts) {
    return std::any_of(label.begin(), label.end(), [scripts](std::uint32_t c) {
        const chars::Props p = propsOf(c);
        return c >= 0x80 && (p.scripts & scripts) && (p.flags & u::kLetter) && !(p.flags & u::kLooksAscii);
    });
}

} // namespace

TopLevelDomain topLevelDomain(const Label& label, bool inAsciiForm) {
    if (inAsciiForm) return {asciiForm(label), true};
    TopLevelDomain tld;
    if (label.empty()) return tld;
    // Wholly in lookalikes it reads as Latin too: пример.аррӏе.со ends in "apple.co".
    if (!std::all_of(label.begin(), label.end(), [](std::uint32_t c) { return c < 0x80; })) {
        tld.latin = traitsOf(label).wholeLookalike;
        return tld;
    }
    for (std::uint32_t c : label) tld.name += static_cast<wchar_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    tld.latin = tld.name.rfind(L"xn--", 0) != 0;
    return tld;
}

bool readableLabel(const Label& label, const TopLevelDomain& tld) {
    const Traits t = traitsOf(label);
    return t.mixesSafely && (!t.wholeLookalike || !tld.latin || tldOfScript(tld.name, t.scripts));
}

bool readableTopLevel(const Label& label, const std::vector<Label>& others) {
    const Traits t = traitsOf(label);
    if (!t.mixesSafely) return false;
    if (!t.wholeLookalike) return true;
    return t.scripts != ~0u &&
           std::any_of(others.begin(), others.end(), [&t](const Label& l) { return showsScript(l, t.scripts); });
}

std::wstring asciiForm(const Label& label) {
    const std::vector<std::uint32_t> mapped = mappedLabel(label);
    if (std::all_of(mapped.begin(), mapped.end(), [](std::uint32_t c) { return c < 0x80; })) {
        return std::wstring(mapped.begin(), mapped.end());
    }
    return L"xn--" + punycode(mapped);
}

} // namespace question
