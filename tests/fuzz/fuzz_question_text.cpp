// Whatever the stored value, the question shows no character that changes
// direction or hides, no space but U+0020 and nothing that looks like the
// frame's apostrophe (as ICU's confusables see it), stays short, and wraps:
// its only line breaks and left-to-right marks are its own.
#include <unicode/uchar.h>
#include <unicode/uspoof.h>
#include <unicode/ustring.h>

#include <cstddef>
#include <cstdint>

#include "watch/QuestionText.h"

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring value;
    for (std::size_t i = 0; i + 1 < size; i += 2) value.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    // Long values are cheap to make from a short input.
    if (size > 0 && data[0] == 0xFF) value = std::wstring(5000 + data[size - 1], L'a') + value;
    for (const watch::Display& d : watch::kDisplays) {
        const std::wstring shown = watch::shownInQuestion(value, d);
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
    }
    return 0;
}
