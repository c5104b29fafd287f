#include "question/QuestionLines.h"

#include <string_view>

namespace question {

void QuestionLines::breakBefore(size_t length) {
    while (run_ && length_ > 0 && length_ + length > run_) {
        const size_t at = divide_ != std::wstring::npos ? divide_ : out_.size();
        out_.insert(at, 1, L'\n');
        length_ = out_.size() - at - 1;
        divide_ = std::wstring::npos;
    }
}

// A break after a divider leaves the line too short to be worth it before a
// third of the limit.
bool QuestionLines::dividesAddress(const std::wstring& shown) const {
    return shown.size() == 1 && std::wstring_view(L"/?&=#").find(shown[0]) != std::wstring_view::npos &&
           length_ * 3 >= run_;
}

void QuestionLines::put(const std::wstring& shown) {
    breakBefore(shown.size());
    out_ += shown;
    if (shown == L" ") {
        length_ = 0;
        divide_ = std::wstring::npos;
        return;
    }
    length_ += shown.size();
    if (dividesAddress(shown)) divide_ = out_.size();
}

void QuestionLines::put(const std::vector<Piece>& pieces) {
    for (const Piece& p : pieces) put(p.shown);
}

void QuestionLines::putMarker(const std::wstring& text) {
    out_ += text;
    length_ = 0;
    divide_ = std::wstring::npos;
}

} // namespace question
