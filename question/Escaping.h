#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace question {

// One letter of the value with the marks kept on it, or one escape, and how
// it is shown; [from, to) in the value.
struct Piece {
    size_t from, to;
    std::wstring shown;
    bool escaped = false, rightToLeft = false;
};

// How a character is shown when it is not shown as itself: [U+202E].
std::wstring escape(std::uint32_t c);

// The letters of [from, to) until their shown length reaches `budget`, each
// as the display shows it: what changes the direction, hides, looks like
// the frame's apostrophe or piles up as marks is escaped, and with
// `asciiOnly` everything beyond printable ASCII is. Each right-to-left run
// ends with a left-to-right mark.
std::vector<Piece> segment(std::wstring_view s, size_t from, size_t to, size_t budget, bool asciiOnly);
// Ends a right-to-left run at the end of `pieces`, counting the mark in `shown`.
void closeRun(std::vector<Piece>& pieces, size_t& shown);
// The last letters after `limit`, while their shown length stays within `budget`.
std::vector<Piece> tailOf(std::wstring_view s, size_t limit, size_t budget, bool asciiOnly);

size_t shownLength(const std::vector<Piece>& pieces);
void append(std::vector<Piece>& to, std::vector<Piece> more);

} // namespace question
