#pragma once
#include <string>

namespace watch {

inline constexpr size_t kLongestShown = 2048;

// A start page as the question shows it. Characters that change the text's
// direction, are invisible or are control characters appear as escapes like
// [U+202E], so the question cannot be made to show an address other than the
// one stored; a value longer than kLongestShown shows its beginning and end
// and how much was left out. Only the display changes: comparisons, Yes and
// No use the value as stored.
std::wstring shownInQuestion(const std::wstring& value);

} // namespace watch
