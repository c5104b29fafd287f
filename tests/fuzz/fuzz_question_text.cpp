// Whatever the stored value, the question shows no character that changes
// direction or hides, no space but U+0020 and nothing that looks like the
// frame's apostrophe (as ICU's confusables see it), stays short, and wraps:
// its only line breaks and left-to-right marks are its own. Of the host
// that the browser reads, no label that ICU finds mixing scripts unsafely
// shows as written, and a label shown in ASCII is the one ICU makes.
#include <unicode/uchar.h>
#include <unicode/uidna.h>
#include <unicode/uspoof.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "question/QuestionText.h"

namespace {

bool looksLikeApostrophe(UChar32 c) {
    static USpoofChecker* checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        return uspoof_open(&status);
    }();
    UChar in[2], out[16];
    int32_t n = 0;
    U16_APPEND_UNSAFE(in, n, c);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t len = uspoof_getSkeleton(checker, 0, in, n, out, 16, &status);
    bool apostrophe = false;
    for (int32_t i = 0; U_SUCCESS(status) && i < len; ++i) {
        if (out[i] == u'\'') apostrophe = true;
        else if (!(U_GET_GC_MASK(out[i]) & (U_GC_MN_MASK | U_GC_ME_MASK))) return false;
    }
    return apostrophe;
}

bool isSpace(UChar32 c) { return c != 0x20 && (U_GET_GC_MASK(c) & U_GC_Z_MASK); }

// The value as browsers read it: no blanks or controls at its ends, no tab
// or line break inside.
std::wstring asBrowsersRead(const std::wstring& value) {
    size_t from = 0, to = value.size();
    while (from < to && value[from] <= 0x20) ++from;
    while (to > from && value[to - 1] <= 0x20) --to;
    std::wstring out = value.substr(from, to - from);
    std::erase_if(out, [](wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\r'; });
    return out;
}

// The host after the first "//", label by label, up to one of `ends`.
std::vector<std::wstring> hostLabels(const std::wstring& text, const wchar_t* ends) {
    const size_t from = text.find(L"//");
    if (from == std::wstring::npos) return {};
    const std::wstring host = text.substr(from + 2, text.find_first_of(ends, from + 2) - from - 2);
    std::vector<std::wstring> labels(1);
    for (wchar_t c : host) {
        if (c == L'.' || c == L'\u3002' || c == L'\uFF0E' || c == L'\uFF61') labels.emplace_back();
        else labels.back() += c;
    }
    return labels;
}

std::u16string utf16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// The label as browsers map it (empty where they refuse it) and its ASCII form.
struct Mapped {
    std::u16string unicode, ascii;
};
Mapped mappedByIcu(const std::wstring& label) {
    static UIDNA* idna = [] {
        UErrorCode status = U_ZERO_ERROR;
        return uidna_openUTS46(UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_NONTRANSITIONAL_TO_UNICODE | UIDNA_CHECK_BIDI |
                                   UIDNA_CHECK_CONTEXTJ | UIDNA_USE_STD3_RULES, &status);
    }();
    constexpr uint32_t kAllowed = UIDNA_ERROR_LEADING_HYPHEN | UIDNA_ERROR_TRAILING_HYPHEN | UIDNA_ERROR_HYPHEN_3_4 |
                                  UIDNA_ERROR_LABEL_TOO_LONG | UIDNA_ERROR_EMPTY_LABEL;
    const std::u16string in = utf16(label);
    Mapped m{std::u16string(256, u'\0'), std::u16string(256, u'\0')};
    for (auto [out, toAscii] : {std::pair{&m.unicode, false}, std::pair{&m.ascii, true}}) {
        UErrorCode status = U_ZERO_ERROR;
        UIDNAInfo info = UIDNA_INFO_INITIALIZER;
        const auto convert = toAscii ? uidna_labelToASCII : uidna_labelToUnicode;
        out->resize(static_cast<size_t>(convert(idna, in.data(), static_cast<int32_t>(in.size()), out->data(), 256, &info, &status)));
        if (U_FAILURE(status) || (info.errors & ~kAllowed)) return {};
    }
    return m;
}

// Scripts mixed beyond UTS #39's moderately restrictive level, or a
// character that identifiers do not allow.
bool unsafe(const std::u16string& label) {
    static USpoofChecker* checker = [] {
        UErrorCode status = U_ZERO_ERROR;
        USpoofChecker* c = uspoof_open(&status);
        USet* allowed = uset_cloneAsThawed(uspoof_getRecommendedSet(&status));
        uset_addAll(allowed, uspoof_getInclusionSet(&status));
        uspoof_setAllowedChars(c, allowed, &status); // a copy
        uset_close(allowed);
        uspoof_setRestrictionLevel(c, USPOOF_MODERATELY_RESTRICTIVE);
        uspoof_setChecks(c, USPOOF_RESTRICTION_LEVEL | USPOOF_CHAR_LIMIT, &status);
        return c;
    }();
    UErrorCode status = U_ZERO_ERROR;
    return uspoof_check2(checker, label.data(), static_cast<int32_t>(label.size()), nullptr, &status) != 0;
}

// Label by label, where the display shows no escape in the host: as
// written, or in ICU's ASCII form, and in ASCII where ICU finds it unsafe.
// Where it shows escapes, what is left of the host without them holds no
// label that ICU finds unsafe.
void checkHost(const std::wstring& value, const std::wstring& shown) {
    const std::wstring address = asBrowsersRead(value);
    if ((wcsncasecmp(address.c_str(), L"http://", 7) != 0 && wcsncasecmp(address.c_str(), L"https://", 8) != 0) ||
        shown.rfind(L"[the host is too long", 0) == 0) {
        return;
    }
    // A host without a user name, port, brackets or spaces, whose labels are plain to see.
    const std::vector<std::wstring> read = hostLabels(address, L"/\\?#");
    for (const std::wstring& l : read) {
        if (l.find_first_of(L"@:[]% ") != std::wstring::npos) return;
    }
    // Without the display's own line breaks and left-to-right marks.
    std::wstring unwrapped = shown;
    std::erase_if(unwrapped, [](wchar_t c) { return c == L'\n' || c == L'\u200E'; });
    // The host ends where the path does, or where the cut says what it left out.
    const std::vector<std::wstring> shownLabels = hostLabels(unwrapped, L"/\\?# ");
    std::wstring withoutEscapes;
    for (const std::wstring& l : shownLabels) withoutEscapes += l + L'.';
    const bool escaped = withoutEscapes.find(L"[U+") != std::wstring::npos;
    for (size_t at; (at = withoutEscapes.find(L"[U+")) != std::wstring::npos;) {
        withoutEscapes.erase(at, withoutEscapes.find(L']', at) + 1 - at);
    }
    if (!escaped && shownLabels.size() != read.size()) __builtin_trap();
    for (size_t i = 0; i < read.size(); ++i) {
        const Mapped m = mappedByIcu(read[i]);
        if (std::all_of(read[i].begin(), read[i].end(), [](wchar_t c) { return c < 0x80; }) || m.unicode.empty()) continue;
        const bool lookalike = unsafe(m.unicode);
        if (escaped) {
            if (lookalike && withoutEscapes.find(read[i]) != std::wstring::npos) __builtin_trap();
        } else if (shownLabels[i] == read[i] ? lookalike : utf16(shownLabels[i]) != m.ascii) {
            __builtin_trap();
        }
    }
}

// Openings of addresses as they are stored, blanks and tabs and all, so
// that the fuzzer reaches hosts from its first inputs.
const wchar_t* const kOpenings[] = {L"http://", L" http://", L"\thttp://", L"ht\ttp://", L"HTTPS:\n//", L"\x01http://www."};
constexpr std::uint8_t kFirstOpening = 0xF0;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring value;
    const std::size_t opening = size > 0 ? data[0] - kFirstOpening : std::size(kOpenings);
    if (opening < std::size(kOpenings)) value = kOpenings[opening];
    for (std::size_t i = opening < std::size(kOpenings); i + 1 < size; i += 2) {
        value.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    // Long values are cheap to make from a short input.
    if (size > 0 && data[0] == 0xFF) value = std::wstring(5000 + data[size - 1], L'a') + value;
    for (const question::Display& d : question::kDisplays) {
        const std::wstring shown = question::shownInQuestion(value, d);
        std::size_t line = 0, unwrapped = 0;
        wchar_t before = 0, letterBefore = 0; // the character before, and before that the mark that ends a run

        for (wchar_t c : shown) {
            const auto u = static_cast<std::uint32_t>(c);
            if ((u < 0x20 && c != L'\n') || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069) ||
                (u >= 0x200B && u <= 0x200F && (u != 0x200E || before < 0x80 || before == 0x200E)) ||
                (d.asciiOnly && u > 0x7E) || isSpace(static_cast<UChar32>(u))) {
                __builtin_trap();
            }
            // A letter that looks like an apostrophe is shown only inside a word
            // (which a wrap may break).
            const UChar32 cp = U16_IS_TRAIL(u) && U16_IS_LEAD(before) ? U16_GET_SUPPLEMENTARY(before, u) : static_cast<UChar32>(u);
            if (looksLikeApostrophe(cp) && !(u_isalpha(cp) && (u_isalpha(static_cast<UChar32>(letterBefore)) || letterBefore == L'\n'))) {
                __builtin_trap();
            }
            before = c;
            if (c != L'\u200E') letterBefore = c;
            line = c == L'\n' || c == L' ' ? 0 : line + 1;
            unwrapped += c != L'\n';
            if (line > d.run) __builtin_trap();
        }
        if (unwrapped > d.longest + 64) __builtin_trap();
        checkHost(value, shown);
    }
    return 0;
}
