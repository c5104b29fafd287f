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

constexpr std::uint32_t kCjk = u::kHan | u::kHiragana | u::kKatakana | u::kBopomofo | u::kHangul | u::kJpan |
                               u::kKore | u::kHanb;
constexpr std::uint32_t kKana = u::kHiragana | u::kKatakana;

// Top-level domains of countries that write a script: under them a label
// wholly in that script is at home even where every letter of it looks Latin.
struct ScriptHome {
    std::uint32_t scripts;
    std::wstring_view tlds; // space-separated
};
constexpr ScriptHome kScriptHomes[] = {
    {u::kCyrillic, L"ba bg by kg kz me mk mn rs ru su tj ua uz"},
    {u::kGreek, L"cy gr"},
    {u::kArmenian, L"am"},
    {u::kGeorgian, L"ge"},
    {u::kHebrew, L"il"},
    {u::kEthiopic, L"er et"},
    {u::kMyanmar, L"mm"},
    {u::kThai, L"th"},
    {u::kLao, L"la"},
    {u::kKhmer, L"kh"},
    {u::kArabic, L"ae af bh dz eg iq ir jo kw lb ly ma om pk ps qa sa sd sy tn ye"},
    {u::kDevanagari | u::kBengali | u::kGurmukhi | u::kGujarati | u::kOriya | u::kTamil | u::kTelugu |
         u::kKannada | u::kMalayalam,
     L"in"},
    {u::kDevanagari, L"np"},
    {u::kBengali, L"bd"},
    {u::kSinhala | u::kTamil, L"lk"},
    {u::kThaana, L"mv"},
};

bool tldOfScript(std::wstring_view tld, std::uint32_t scripts) {
    return std::any_of(std::begin(kScriptHomes), std::end(kScriptHomes), [&](const ScriptHome& h) {
        if (!(h.scripts & scripts) || tld.empty()) return false;
        for (size_t at = h.tlds.find(tld); at != std::wstring_view::npos; at = h.tlds.find(tld, at + 1)) {
            const size_t end = at + tld.size();
            if ((at == 0 || h.tlds[at - 1] == L' ') && (end == h.tlds.size() || h.tlds[end] == L' ')) return true;
        }
        return false;
    });
}

// A label as the rules read it: each character with its properties, and
// the top-level domain it stands under ("" for the top-level label itself).
struct Facts {
    const Label& l;
    std::vector<chars::Props> p;
    std::wstring_view tld;
    std::uint32_t at(size_t i) const { return i < l.size() ? l[i] : 0; }
    std::uint32_t before(size_t i) const { return i > 0 ? l[i - 1] : 0; }
};

bool isMark(const chars::Props& p) { return (p.flags & u::kMark) != 0; }
bool isLetter(std::uint32_t c) { return c != 0 && chars::has(c, u::kLetter); }
bool isAsciiDigit(std::uint32_t c) { return c >= '0' && c <= '9'; }

// The zero of the numbering system of a decimal digit, or 0.
std::uint32_t zeroOf(std::uint32_t c) {
    const auto* z = std::upper_bound(std::begin(u::kDigitZeros), std::end(u::kDigitZeros), c);
    if (z == std::begin(u::kDigitZeros)) return 0;
    --z;
    return c - *z < 10 ? *z : 0;
}

// The Catalan middle dot, the one place it is allowed.
bool catalanDot(const Facts& f, size_t i) {
    return f.l[i] == 0x00B7 && f.tld == L"cat" && f.before(i) == 'l' && f.at(i + 1) == 'l';
}

// Beyond the Allowed ones, the two middle dots, each where its own rule
// lets it stand: the Catalan one, and the Katakana one between Japanese letters.
bool allowed(const Facts& f) {
    for (size_t i = 0; i < f.l.size(); ++i) {
        if (!(f.p[i].flags & u::kHostOk) && !catalanDot(f, i) && f.l[i] != 0x30FB) return false;
    }
    return true;
}

bool oneDirection(const Facts& f) {
    const bool rtl = std::any_of(f.p.begin(), f.p.end(), [](const chars::Props& p) { return p.flags & u::kRightToLeft; });
    const bool ltr = std::any_of(f.p.begin(), f.p.end(), [](const chars::Props& p) { return p.flags & u::kLeftToRight; });
    return !(rtl && ltr);
}

// One script (Common and Inherited go with any), or Latin with the scripts
// of Japan, China or Korea, as Script_Extensions resolve them.
bool highlyRestrictive(const Facts& f) {
    std::uint32_t all = ~0u, withoutLatin = ~0u;
    for (const chars::Props& p : f.p) {
        if (!p.scripts) continue;
        all &= p.scripts;
        if (!(p.scripts & u::kLatin)) withoutLatin &= p.scripts;
    }
    return all != 0 || (withoutLatin & (u::kJpan | u::kKore | u::kHanb)) != 0;
}

bool singleScript(const Facts& f) {
    std::uint32_t all = ~0u;
    for (const chars::Props& p : f.p) {
        if (p.scripts) all &= p.scripts;
    }
    return all != 0;
}

bool latinOnlyAsciiWhenMixed(const Facts& f) {
    if (singleScript(f)) return true;
    for (size_t i = 0; i < f.l.size(); ++i) {
        if (f.l[i] >= 0x80 && (f.p[i].flags & u::kLetter) && (f.p[i].scripts & u::kLatin)) return false;
    }
    return true;
}

bool oneNumberingSystem(const Facts& f) {
    std::uint32_t zero = 0;
    for (std::uint32_t c : f.l) {
        const std::uint32_t z = isAsciiDigit(c) ? '0' : zeroOf(c);
        if (z && zero && z != zero) return false;
        if (z) zero = z;
    }
    return true;
}

// Wholly ASCII digits, hyphens and what reads as a digit: ੨੨.com reads "22.com".
bool noDigitLookalikes(const Facts& f) {
    bool lookalike = false;
    for (size_t i = 0; i < f.l.size(); ++i) {
        if (f.p[i].flags & u::kReadsDigit) lookalike = true;
        else if (!isAsciiDigit(f.l[i]) && f.l[i] != '-') return true;
    }
    return !lookalike;
}

bool noLookalikeAmongAscii(const Facts& f) {
    const bool ascii = std::any_of(f.l.begin(), f.l.end(), [](std::uint32_t c) { return c < 0x80 && chars::isAsciiLetter(c); });
    for (size_t i = 0; ascii && i < f.l.size(); ++i) {
        if (f.l[i] >= 0x80 && (f.p[i].flags & u::kLooksAscii)) return false;
    }
    return true;
}

bool marksOnTheirLetters(const Facts& f) {
    std::uint32_t base = 0;
    for (size_t i = 0; i < f.l.size(); ++i) {
        const std::uint32_t c = f.l[i];
        if (!isMark(f.p[i])) {
            base = c;
            continue;
        }
        const chars::Props b = propsOf(base);
        if (base == 0 || !(b.flags & u::kLetter)) return false;
        if (c == f.before(i)) return false;                  // repeated
        if (base == 0x0131 || base == 0x0237) return false;  // a dotless i or j drawn dotted
        if (c == 0x0307 && (base == 'i' || base == 'j' || base == 'l')) return false;
        if (f.p[i].scripts ? !(f.p[i].scripts & b.scripts)
                           : !(b.scripts & (u::kLatin | u::kGreek | u::kCyrillic))) {
            return false;
        }
    }
    return true;
}

bool kanaInContext(const Facts& f) {
    for (size_t i = 0; i < f.l.size(); ++i) {
        const std::uint32_t c = f.l[i];
        const std::uint32_t before = propsOf(f.before(i)).scripts, after = propsOf(f.at(i + 1)).scripts;
        const bool hasBefore = i > 0, hasAfter = i + 1 < f.l.size();
        if (c == 0x30FC && !(hasBefore && (before & kKana))) return false;                     // ー
        if ((c == 0x30FD || c == 0x30FE) && !(hasBefore && (before & u::kKatakana))) return false; // ヽ ヾ
        if (c == 0x30FB && !(hasBefore && hasAfter && (before & u::kJpan) && (after & u::kJpan))) return false; // ・
    }
    return true;
}

// Han strokes and kana that read as l, |, / or a dash.
bool isStroke(std::uint32_t c) {
    static constexpr std::uint32_t strokes[] = {0x3127, 0x30BD, 0x30BE, 0x30CE, 0x30F3, 0x4E00,
                                                0x4E28, 0x4E36, 0x4E3F, 0x4E40, 0x4E41};
    return std::binary_search(std::begin(strokes), std::end(strokes), c);
}
bool strokesAmongCjk(const Facts& f) {
    const auto foreignLetter = [](std::uint32_t c) { return isLetter(c) && !(propsOf(c).scripts & kCjk); };
    for (size_t i = 0; i < f.l.size(); ++i) {
        if (isStroke(f.l[i]) && (foreignLetter(f.before(i)) || foreignLetter(f.at(i + 1)))) return false;
    }
    return true;
}

bool noDeviation(const Facts& f) {
    return std::none_of(f.l.begin(), f.l.end(), [](std::uint32_t c) { return c == 0x00DF || c == 0x03C2; });
}

bool lettersAtHome(const Facts& f) {
    for (size_t i = 0; i < f.l.size(); ++i) {
        const std::uint32_t c = f.l[i];
        if ((c == 0x00FE || c == 0x00F0) && f.tld != L"is") return false;
        if (c == 0x0259 && f.tld != L"az") return false;
        if (c == 0x00B7 && !catalanDot(f, i)) return false;
    }
    return true;
}

// The rules a label passes to be shown in Unicode; any failed, and its
// ASCII form shows. Each is applied to the label as shown and as the
// browser opens it (UTS #46: lower case, composed).
//  - allowed: only characters whose Identifier_Status is Allowed (UTS #39),
//    and the middle dots of Catalan and Japanese (Chrome).
//  - oneDirection: not both directions in one label (IDNA's bidi rule).
//  - highlyRestrictive: one script by the resolved Script_Extensions, or
//    Latin with Han and kana, Han and Bopomofo, or Han and Hangul (UTS #39,
//    Highly Restrictive; Chrome, and Firefox's default).
//  - latinOnlyAsciiWhenMixed: Latin beside another script only in ASCII
//    letters (Chrome).
//  - oneNumberingSystem: digits of one system (UTS #39, mixed numbers).
//  - noDigitLookalikes: not wholly digits and characters that read as ASCII
//    digits (Chrome's digit lookalikes).
//  - noLookalikeAmongAscii: no letter that reads as an ASCII one (ı, ĸ, ɑ)
//    among ASCII letters (Varnok's own; Chrome checks these against its
//    list of popular names).
//  - marksOnTheirLetters: a nonspacing mark only on a letter of its own
//    script, a generic one only on Latin, Greek or Cyrillic, never twice
//    in a row, on a dotless i or j, or as a dot on i, j or l (Chrome).
//  - kanaInContext: ー after kana, ヽ ヾ after Katakana, ・ between
//    Japanese letters (Chrome's dangerous patterns).
//  - strokesAmongCjk: the Han strokes and kana that read as l, |, / or a
//    dash (一 丨 丿 ノ ソ ン...) never beside a letter outside CJK (Chrome).
//  - noDeviation: no ß or ς, which IDNA 2003 and 2008 resolve to different
//    hosts (Chrome).
//  - lettersAtHome: þ and ð only under .is, ə only under .az, · only
//    between l's under .cat (Chrome).
// Then, in readableLabel and readableTopLevel, whole-script lookalikes.
using Rule = bool (*)(const Facts&);
constexpr Rule kRules[] = {allowed,           oneDirection,        highlyRestrictive, latinOnlyAsciiWhenMixed,
                           oneNumberingSystem, noDigitLookalikes,  noLookalikeAmongAscii, marksOnTheirLetters,
                           kanaInContext,     strokesAmongCjk,     noDeviation,       lettersAtHome};

bool passesRules(const Label& label, std::wstring_view tld) {
    Facts f{label, {}, tld};
    f.p.reserve(label.size());
    for (std::uint32_t c : label) f.p.push_back(propsOf(c));
    return std::all_of(std::begin(kRules), std::end(kRules), [&f](Rule r) { return r(f); });
}

bool readsLatin(std::uint32_t c) { return chars::has(c, u::kReadsLatin); }

// Whole-script lookalikes: no ASCII letter, and every letter and digit
// beyond ASCII reads as Latin (орепаі, ηοκια). The script they share, or 0.
std::uint32_t wholeLookalikeScripts(const Label& label) {
    std::uint32_t scripts = ~0u;
    bool any = false;
    for (std::uint32_t c : label) {
        const chars::Props p = propsOf(c);
        if (c < 0x80) {
            if (chars::isAsciiLetter(c)) return 0;
            continue;
        }
        if (!(p.flags & u::kLetter) && !(p.flags & u::kReadsLatin)) continue;
        if (!readsLatin(c)) return 0;
        any = true;
        if (p.scripts) scripts &= p.scripts;
    }
    return any ? scripts : 0;
}

// A letter of one of `scripts` that reads as no Latin one.
bool showsScript(const Label& label, std::uint32_t scripts) {
    return std::any_of(label.begin(), label.end(), [scripts](std::uint32_t c) {
        const chars::Props p = propsOf(c);
        return c >= 0x80 && (p.scripts & scripts) && (p.flags & u::kLetter) && !readsLatin(c);
    });
}

} // namespace

TopLevelDomain topLevelDomain(const Label& label, bool inAsciiForm) {
    if (inAsciiForm) return {asciiForm(label), true};
    TopLevelDomain tld;
    if (label.empty()) return tld;
    // Wholly in lookalikes it reads as Latin too: пример.аррӏе.со ends in "apple.co".
    if (!std::all_of(label.begin(), label.end(), [](std::uint32_t c) { return c < 0x80; })) {
        tld.latin = wholeLookalikeScripts(mappedLabel(label)) != 0 || wholeLookalikeScripts(label) != 0;
        return tld;
    }
    for (std::uint32_t c : label) tld.name += static_cast<wchar_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    tld.latin = tld.name.rfind(L"xn--", 0) != 0;
    return tld;
}

bool readableLabel(const Label& label, const TopLevelDomain& tld) {
    const Label mapped = mappedLabel(label);
    for (const Label* form : {&label, &mapped}) {
        if (!passesRules(*form, tld.name)) return false;
        const std::uint32_t scripts = wholeLookalikeScripts(*form);
        if (scripts && tld.latin && !tldOfScript(tld.name, scripts)) return false;
    }
    return true;
}

bool readableTopLevel(const Label& label, const std::vector<Label>& others) {
    const Label mapped = mappedLabel(label);
    for (const Label* form : {&label, &mapped}) {
        if (!passesRules(*form, L"")) return false;
        const std::uint32_t scripts = wholeLookalikeScripts(*form);
        if (scripts && std::none_of(others.begin(), others.end(),
                                    [scripts](const Label& l) { return showsScript(l, scripts); })) {
            return false;
        }
    }
    return true;
}

std::wstring asciiForm(const Label& label) {
    const std::vector<std::uint32_t> mapped = mappedLabel(label);
    if (std::all_of(mapped.begin(), mapped.end(), [](std::uint32_t c) { return c < 0x80; })) {
        return std::wstring(mapped.begin(), mapped.end());
    }
    return L"xn--" + punycode(mapped);
}

std::vector<std::uint32_t> hostSkeleton(const std::vector<Label>& labels) {
    std::vector<std::uint32_t> out;
    for (size_t i = 0; i < labels.size(); ++i) {
        if (i > 0) out.push_back('.');
        const std::vector<std::uint32_t> s = skeletonOf(labels[i]);
        out.insert(out.end(), s.begin(), s.end());
    }
    return out;
}

} // namespace question
