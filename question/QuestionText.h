#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace question {

// How much of a value the question shows, and how: the first that fits on
// the screen is used, the last whatever the screen.
struct Display {
    // Shown characters of the value, counted after escaping; a longer value
    // shows its beginning and end and how much was left out.
    size_t longest;
    // Shown characters with no place to wrap before a line break is put in.
    size_t run;
    // Everything beyond printable ASCII as an escape too: no glyph wider
    // than a letter.
    bool asciiOnly;
    // The pages this user knows (the reference, and those accepted or set
    // in this run): a host that reads as one of theirs but is not shows in
    // its ASCII form. Nothing when none are known.
    const std::vector<std::wstring>* known = nullptr;
};
inline constexpr Display kDisplays[] = {{512, 64, false}, {128, 32, false}, {64, 16, true}};
inline constexpr size_t kLongestShown = kDisplays[0].longest;

// A start page as the question shows it, so that it cannot pass for
// another page or for the question's own words. Characters that change the
// text's direction, are invisible, are control characters, spaces other
// than U+0020, look like the frame's apostrophes, pile up as combining
// marks or are drawn through a letter appear as escapes like [U+202E]; right-to-left runs end with a
// left-to-right mark, so they carry nothing after them. In a value that has
// the form of an address, read as the browser reads it (blanks at its ends
// and tabs and line breaks inside left out), a host label that could pass
// for another, by the rules of HostPolicy.cpp, is shown in its ASCII form
// as browsers show it (xn--), the dots the browser reads show as dots, a
// user name that the browser would use is set apart, the scheme is shown in
// ASCII, and the scheme, user name and host are never cut. Long unbroken
// runs get line breaks, in the host after a dot or slash (a value's own
// line breaks are escaped, so every one shown is a wrap). Only the display
// changes: comparisons, Yes and No use the value as stored. A host that
// reads as one of the display's `known` pages but is not shows in ASCII form.
std::wstring shownInQuestion(const std::wstring& value, const Display& display = kDisplays[0]);

} // namespace question
