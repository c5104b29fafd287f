#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "question/Escaping.h"

namespace question {

// The question's text, line by line: a run without spaces is broken before
// it passes the display's limit, after the run's last character where
// addresses divide, if any, else where the limit falls.
class QuestionLines {
public:
    explicit QuestionLines(size_t run) : run_(run) {}
    void put(const std::wstring& shown);
    void put(const std::vector<Piece>& pieces);
    // Text of the question's own, with spaces to wrap at.
    void putMarker(const std::wstring& text);
    std::wstring take() { return std::move(out_); }

private:
    void breakBefore(size_t length);
    bool dividesAddress(const std::wstring& shown) const;

    size_t run_, length_ = 0;
    size_t divide_ = std::wstring::npos; // just after the current run's last divider
    std::wstring out_;
};

} // namespace question
